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

# The window lives in a module of its own, which the installed program must
# find where it was installed: without arguments it loads the module and stays
# in the window until stopped (by timeout, status 124). A program that cannot
# find it stops at once with an error.
file(GLOB_RECURSE modules "${PREFIX}/*/libbarcode-generator-window.so")
list(LENGTH modules count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "window module installed ${count} times: ${modules}")
endif()
execute_process(COMMAND timeout 5 env -u LD_DEBUG_OUTPUT QT_QPA_PLATFORM=offscreen LD_DEBUG=files
                        "${PREFIX}/bin/barcode-generator"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(REGEX MATCH "calling init: [^\n]*/libbarcode-generator-window\\.so" loaded "${out}")
string(FIND "${loaded}" "calling init: ${PREFIX}/" at)
if(NOT rc EQUAL 124 OR NOT at EQUAL 0)
    string(REGEX MATCH "[^\n]*window[^\n]*" reason "${out}")
    message(FATAL_ERROR "the installed program did not open its installed window (status ${rc}): ${reason}")
endif()

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
