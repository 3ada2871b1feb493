# Run by cpack on the staged files: their folders 0755 whatever the builder's umask, which CMake's
# install applies to the folders it makes. Extracted as root over /usr/local, an archive's folders
# replace the modes of those there.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
file(CHMOD ${staged} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
