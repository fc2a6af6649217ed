# Run by `cmake --install`: writes a file that names the installation's paths from its
# template, so that `--prefix` and DESTDIR give a launcher that finds the program and the
# games where they were put, and a manual page that names them. Expects QUORVEL_TEMPLATE
# (the file's name is the template's without ".in"), QUORVEL_DESTINATION, QUORVEL_MODE (its
# permissions), the folders QUORVEL_BINDIR, QUORVEL_LIBEXECDIR, QUORVEL_GAMESDIR and
# QUORVEL_DOCDIR (under the prefix unless absolute), QUORVEL_VERSION and QUORVEL_RELEASE_DATE.

foreach(dir BINDIR LIBEXECDIR GAMESDIR DOCDIR DESTINATION)
  if(IS_ABSOLUTE "${QUORVEL_${dir}}")
    set(QUORVEL_FULL_${dir} "${QUORVEL_${dir}}")
  else()
    set(QUORVEL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${QUORVEL_${dir}}")
  endif()
endforeach()

get_filename_component(name "${QUORVEL_TEMPLATE}" NAME_WLE)
set(file "$ENV{DESTDIR}${QUORVEL_FULL_DESTINATION}/${name}")
message(STATUS "Installing: ${file}")
configure_file("${QUORVEL_TEMPLATE}" "${file}" @ONLY)
file(CHMOD "${file}" PERMISSIONS ${QUORVEL_MODE})
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${file}")
