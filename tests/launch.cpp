#include <windows.h>

// Starts the command line in COMMAND_LINE as Explorer starts a batch file: CreateProcessW gets it
// whole, with no quoting added. Ends with the started program's exit code; with nothing to start
// it ends with -1, as a crashed program's negative code, so that a copy of it can stand in for one.
int main()
{
    static wchar_t line[32768];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD code = 0;
    if (GetEnvironmentVariableW(L"COMMAND_LINE", line, sizeof line / sizeof *line) == 0 ||
        SetEnvironmentVariableW(L"COMMAND_LINE", nullptr) == 0 ||
        CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process) == 0) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
