# Run by `cmake --install`: writes the launcher into the installation's bin folder with the
# paths of that installation, so that `--prefix` and DESTDIR give a launcher that finds the
# program and the games where they were put. Expects QUORVEL_LAUNCHER_TEMPLATE and the
# GNUInstallDirs folders QUORVEL_BINDIR, QUORVEL_LIBEXECDIR and QUORVEL_DATADIR.

foreach(dir BINDIR LIBEXECDIR DATADIR)
  if(IS_ABSOLUTE "${QUORVEL_${dir}}")
    set(QUORVEL_FULL_${dir} "${QUORVEL_${dir}}")
  else()
    set(QUORVEL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${QUORVEL_${dir}}")
  endif()
endforeach()

set(launcher "$ENV{DESTDIR}${QUORVEL_FULL_BINDIR}/festral-quorvel")
message(STATUS "Installing: ${launcher}")
configure_file("${QUORVEL_LAUNCHER_TEMPLATE}" "${launcher}" @ONLY)
file(CHMOD "${launcher}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${launcher}")
