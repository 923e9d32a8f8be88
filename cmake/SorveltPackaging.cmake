# The Debian package, through CPack (scripts/package.sh runs it on a Release tree):
# sorvelt.so in /usr/lib/vst, the LV2 bundle sorvelt.lv2 in /usr/lib/lv2, sorvelt-render in
# /usr/bin, its manual page, and the README and licence notes in /usr/share/doc/sorvelt.
# Run-time dependencies come from the binaries.
set(SORVELT_MAINTAINER "Sorvelt developers <maintainers@sorvelt.example.org>"
  CACHE STRING "Maintainer named in the Debian package")
set(SORVELT_DOC_DIR share/doc/sorvelt)

# Debian's copyright file in its machine-readable form, around our own LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence_text)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" licence_body "${licence_text}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence_text}")
set(licence_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n\n" "\n.\n" licence_body "${licence_body}")
string(REGEX REPLACE "\n$" "" licence_body "${licence_body}")
string(REGEX REPLACE "\n" "\n " licence_body " ${licence_body}")
file(WRITE ${CMAKE_BINARY_DIR}/package/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Sorvelt
Source: ${PROJECT_HOMEPAGE_URL}
Comment: The binaries link the libraries listed in THIRD-PARTY-NOTICES.md beside this
 file; each is installed by its own Debian package with its own copyright file.

Files: *
Copyright: ${licence_holder}
License: Expat

License: Expat
${licence_body}
")

# A native package's change log, gzipped the way Debian's tools do it (no name, no time stamp).
string(TIMESTAMP SORVELT_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9nfk ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/package/changelog)
add_custom_target(sorvelt-package-docs ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)

install(FILES
  ${CMAKE_BINARY_DIR}/package/copyright
  ${CMAKE_BINARY_DIR}/package/changelog.gz
  ${PROJECT_SOURCE_DIR}/README.md
  ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.md
  DESTINATION ${SORVELT_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvelt)
set(CPACK_PACKAGE_VENDOR "The Sorvelt developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "UHJ encoder as VST 2.4 and LV2 plug-ins, with a command-line host")
# CPack puts the summary first; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Sorvelt encodes one sound source into UHJ, the stereo-compatible Ambisonic
format: L and R (a stereo pair that decodes to surround), T and the height
channel Q. The source is mono or a stereo pair, placed at an azimuth, an
elevation and a width, or first-order B-Format transcoded as it comes.
.
The plug-in, with its editor, is installed in /usr/lib/vst, where Linux
hosts look for VST 2 plug-ins, and as an LV2 bundle in /usr/lib/lv2.
sorvelt-render encodes sound files through it from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SORVELT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editor's read-outs are laid out for Liberation Sans; another face still works.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME "sorvelt_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
