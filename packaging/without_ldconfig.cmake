# Run by CPack after it has built the .deb. CPack gives a package postinst and postrm scripts that
# only call ldconfig whenever a shared library lies in a folder below /usr/lib, the private
# /usr/lib/velomar too, where the dynamic linker never looks. A postrm keeps a removed package in
# dpkg's "rc" state until it is purged, so the package is built again without those two scripts.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    foreach(script postinst postrm)
        if(EXISTS ${tree}/DEBIAN/${script})
            file(READ ${tree}/DEBIAN/${script} text)
            # What is left of the script once CPack's ldconfig call is taken out: a script of the
            # project's own (CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA) stays.
            string(REGEX REPLACE "#!/bin/sh|set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|ldconfig|fi|[ \t\n]" ""
                   rest "${text}")
            if(rest STREQUAL "")
                file(REMOVE ${tree}/DEBIAN/${script})
            endif()
        endif()
    endforeach()
    execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
