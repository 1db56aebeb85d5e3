# Where things go, in the build tree and once installed. The shared libraries and the module live in a
# folder of their own under the library folder, so nothing with our generic names lands loose among
# the system's libraries; executables reach it through an RPATH relative to themselves, and the build
# tree has the same shape so the host finds the module the same way in both.
include(GNUInstallDirs)

set(MED_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/med00418)
file(RELATIVE_PATH MED_BIN_TO_PKGLIB /p/${CMAKE_INSTALL_BINDIR} /p/${MED_INSTALL_PKGLIBDIR})

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_BINDIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${MED_INSTALL_PKGLIBDIR})
set(CMAKE_BUILD_RPATH ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
# Executables look beside the module folder, libraries beside themselves.
set(CMAKE_INSTALL_RPATH "$ORIGIN/${MED_BIN_TO_PKGLIB};$ORIGIN")

# System folders follow the FHS only for the /usr prefix (/etc, /var); anywhere else they stay under
# the prefix, so an install into a scratch prefix never writes outside it.
function(med_system_dir out relative)
  string(TOUPPER ${relative} upper)
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(${out} ${CMAKE_INSTALL_FULL_${upper}} PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_INSTALL_${upper}} PARENT_SCOPE)
  endif()
endfunction()
med_system_dir(MED_INSTALL_SYSCONFDIR sysconfdir)
med_system_dir(MED_INSTALL_LOCALSTATEDIR localstatedir)
set(MED_INSTALL_CONFDIR ${MED_INSTALL_SYSCONFDIR}/med00418)
set(MED_INSTALL_STATEDIR ${MED_INSTALL_LOCALSTATEDIR}/lib/med00418)
set(MED_FULL_CONFDIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/med00418)
set(MED_FULL_STATEDIR ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/med00418)

# Version and layout facts the executables print or need.
configure_file(${CMAKE_CURRENT_LIST_DIR}/MedBuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/MedBuildInfo.h @ONLY)
add_library(med_build_info INTERFACE)
target_include_directories(med_build_info INTERFACE ${CMAKE_BINARY_DIR}/generated)
