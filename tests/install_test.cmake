# cmake -DBUILD_DIR=... -DPREFIX=... -P install_test.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install failed: ${rc}")
endif()

set(id example.barcodes.BarcodeGenerator)
set(expected
    bin/barcode-generator
    share/applications/${id}.desktop
    share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${id}.svg
    share/man/man1/barcode-generator.1
    share/bash-completion/completions/barcode-generator)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

execute_process(COMMAND desktop-file-validate "${PREFIX}/share/applications/${id}.desktop"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "error")
    message(FATAL_ERROR "desktop entry: ${out}")
endif()
execute_process(COMMAND appstreamcli validate --no-net "${PREFIX}/share/metainfo/${id}.metainfo.xml"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "metainfo: ${out}")
endif()
execute_process(COMMAND groff -man -Tascii "${PREFIX}/share/man/man1/barcode-generator.1"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "--batch")
    message(FATAL_ERROR "man page: ${rc} ${err}")
endif()
execute_process(COMMAND bash --norc --noprofile -c
                        "source \"$1\" && complete -p barcode-generator" bash
                        "${PREFIX}/share/bash-completion/completions/barcode-generator"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "bash completion: ${err}")
endif()
message(STATUS "installed and valid: ${expected}")
