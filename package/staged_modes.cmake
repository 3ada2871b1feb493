# Run by cpack on the staged files: folders 0755, not the builder's umask, which CMake's install
# leaves them; an archive's folders extracted as root replace the modes of those there.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
file(CHMOD ${staged} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
