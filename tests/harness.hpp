#pragma once
// What the tests of both programs share: a folder of real files, their bytes, and standard
// streams pointed at files as a shell points them.

#include "files/files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#ifndef _WIN32
#include <sys/inotify.h>
#endif

namespace lumvert {

namespace fs = std::filesystem;

// The console texts as the user reads them, with CRLF line ends on Windows.
inline std::string on_console(std::string text)
{
#ifdef _WIN32
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
        text.insert(at, 1, '\r');
    }
#endif
    return text;
}

// UTF-8 bytes as a path and back.
inline fs::path utf8_path(const std::string& text) { return fs::u8path(text); }

inline std::string utf8_of(const fs::path& path)
{
    const auto text = path.generic_u8string();
    return {text.begin(), text.end()};
}

// The arguments, UTF-8 text, as the system hands them to a program.
struct started_arguments {
    std::vector<fs::path> paths;
    std::vector<file_name> names;
    explicit started_arguments(const std::vector<std::string>& texts)
        : paths(texts.size()), names(texts.size())
    {
        std::transform(texts.begin(), texts.end(), paths.begin(), utf8_path);
        std::transform(paths.begin(), paths.end(), names.begin(), std::mem_fn(&fs::path::c_str));
    }
};

// A fresh folder of this process's own, current while it lives, and a file beside it for output.
struct scratch_folder {
    const fs::path path = fs::temp_directory_path() / ("lumvert_test_" + std::to_string(getpid()));
    const std::string console = path.string() + ".console";
    scratch_folder()
    {
        fs::remove_all(path);
        fs::create_directory(path);
        fs::current_path(path);
    }
    ~scratch_folder()
    {
        fs::current_path(path.parent_path());
        fs::remove_all(path);
        fs::remove(console);
    }
};

inline std::string bytes_of(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

// Every file below the working folder, with its bytes (none for a folder).
inline std::map<std::string, std::string> files()
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        files[utf8_of(entry.path())] = bytes_of(entry.path());
    }
    return files;
}

// Points a standard stream at the named file, if any, while it lives, as a shell's <, > or >> does.
struct redirection {
    int stream;
    int saved;
    redirection(int standard, const std::string& name, int flags)
        : stream(standard), saved(name.empty() ? -1 : dup(standard))
    {
        if (saved < 0) return;
        const int file = open(name.c_str(), flags, 0666);
        EXPECT_NE(dup2(file, stream), -1);
        close(file);
    }
    ~redirection()
    {
        if (saved < 0) return;
        dup2(saved, stream);
        close(saved);
    }
};

#ifndef _WIN32
// Watches a file or folder, if one is named, for the events of `mask` while it lives.
struct event_watch {
    int file = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    event_watch(const std::string& name, std::uint32_t mask)
    {
        if (!name.empty()) inotify_add_watch(file, name.c_str(), mask);
    }
    event_watch(const event_watch&) = delete;
    event_watch& operator=(const event_watch&) = delete;
    ~event_watch() { close(file); }
    bool seen() const
    {
        alignas(inotify_event) char events[4096];
        return read(file, events, sizeof events) >= 0;
    }
};
#endif

}  // namespace lumvert
