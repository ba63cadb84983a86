# Manual pages of kova and kova-cli, and the Debian packages made by `cpack -G DEB` in the build folder:
#   kova_<versão>_amd64.deb          the programs, help pages, desktop entry, icons and manual pages
#   kova-quiboro_<versão>_amd64.deb  the stand-in transmission program (libtrama21.so and quiboro-instalar)
# The package version is the program's version, the build's sequence number and its identifier ("3.0+57.1a2b3c4"),
# read at packaging time from the header the build wrote, so that it always names the binaries it holds.

# --- Manual pages (gzip -n: the same bytes from the same page) ---------------------------------------------------
find_program(KOVA_GZIP gzip)
set(KOVA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(KOVA_MAN_PAGES)
set(KOVA_MAN_SOURCES)
add_custom_command(OUTPUT ${KOVA_MAN_DIR}/kova-cli.1
  COMMAND ${CMAKE_COMMAND} -DKOVA_CLI=$<TARGET_FILE:kova-cli> -DTEMPLATE=${CMAKE_SOURCE_DIR}/man/kova-cli.1.in
          -DOUTPUT=${KOVA_MAN_DIR}/kova-cli.1 -P ${CMAKE_SOURCE_DIR}/cmake/write_man_page.cmake
  DEPENDS kova-cli ${CMAKE_SOURCE_DIR}/man/kova-cli.1.in ${CMAKE_SOURCE_DIR}/cmake/write_man_page.cmake
  COMMENT "Manual page of kova-cli"
  VERBATIM)
list(APPEND KOVA_MAN_SOURCES ${KOVA_MAN_DIR}/kova-cli.1)
if(TARGET kova)
  list(APPEND KOVA_MAN_SOURCES ${CMAKE_SOURCE_DIR}/man/kova.1)
endif()
foreach(page ${KOVA_MAN_SOURCES})
  get_filename_component(name ${page} NAME)
  if(KOVA_GZIP)
    add_custom_command(OUTPUT ${KOVA_MAN_DIR}/${name}.gz
      COMMAND ${KOVA_GZIP} -9 -n -c ${page} > ${KOVA_MAN_DIR}/${name}.gz
      DEPENDS ${page}
      VERBATIM)
    list(APPEND KOVA_MAN_PAGES ${KOVA_MAN_DIR}/${name}.gz)
  else()
    list(APPEND KOVA_MAN_PAGES ${page})
  endif()
endforeach()
add_custom_target(kova_man_pages ALL DEPENDS ${KOVA_MAN_PAGES})
install(FILES ${KOVA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programa)

# --- Debian packages ---------------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kova)
set(CPACK_PACKAGE_VENDOR "Equipe KOVA Não-Incidência")
set(CPACK_PACKAGE_CONTACT "Equipe KOVA Não-Incidência <kova@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME kova)  # replaced by the Debian names below
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programa quiboro)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the binaries link come from dpkg-shlibdeps; the packages named below are what is loaded at
# run time (Qt's platform plugins and SQLite driver), read (Qt's Portuguese texts, the fonts with the documents'
# measures) or linked by the seal code.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The debugging information stays in the build folder.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PROGRAMA_PACKAGE_NAME kova)
set(CPACK_DEBIAN_PROGRAMA_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n, libdeflate0, fonts-liberation")
set(CPACK_DEBIAN_PROGRAMA_PACKAGE_SUGGESTS kova-quiboro)
set(CPACK_COMPONENT_PROGRAMA_DESCRIPTION
    "KOVA Não-Incidência: declaração de não-incidência da KOVA
Importa o arquivo da declaração, verifica a estrutura e cada campo, lista e
imprime os erros, grava o arquivo de entrega selado, transmite-o pelo Quiboro,
valida e imprime o recibo de entrega e imprime a declaração. Programa de janelas
kova e linha de comando kova-cli, com o diagnóstico da instalação.")

set(CPACK_DEBIAN_QUIBORO_PACKAGE_NAME kova-quiboro)
set(CPACK_COMPONENT_QUIBORO_DESCRIPTION
    "Quiboro substituto: programa de transmissão para o KOVA Não-Incidência
Faz o papel do programa de transmissão da QOT: a biblioteca libtrama21.so
confere o arquivo de entrega e grava o recibo ao lado dele. Cada usuário
registra o Quiboro com quiboro-instalar, que grava o seu qui-bor.ini.")

# "3.0+57.1a2b3c4": the version, then the build's sequence number (so that a later build is a newer package) and
# its identifier.
set(KOVA_CPACK_VERSION_SCRIPT ${CMAKE_BINARY_DIR}/kova_package_version.cmake)
file(WRITE ${KOVA_CPACK_VERSION_SCRIPT}
     "# Written by cmake/packaging.cmake: the package version from the build's identifier.\n"
     "file(STRINGS \"${KOVA_BUILD_INFO_DIR}/kova_build_info.h\" kova_build_lines REGEX \"KOVA_BUILD_\")\n"
     "string(REGEX REPLACE \".*KOVA_BUILD_ID \\\"([^\\\"]*)\\\".*\" \"\\\\1\" kova_build_id \"\${kova_build_lines}\")\n"
     "string(REGEX REPLACE \".*KOVA_BUILD_SEQUENCE ([0-9]+).*\" \"\\\\1\" kova_build_sequence \"\${kova_build_lines}\")\n"
     "set(CPACK_PACKAGE_VERSION \"${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}+\${kova_build_sequence}.\${kova_build_id}\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${KOVA_CPACK_VERSION_SCRIPT})

include(CPack)
