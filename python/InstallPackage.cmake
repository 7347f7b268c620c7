# Run by cmake --install (the component python): the package rollbite, its compiled part and its Python
# files, into the folder where the interpreter finds it for the prefix of this install. python/CMakeLists.txt
# sets ROLLBITE_PYTHON (the interpreter), ROLLBITE_PYTHON_FOLDER (the cache variable
# ROLLBITE_PYTHON_INSTALL_DIR, empty to ask the interpreter), ROLLBITE_SITE_FOLDER_SCRIPT and
# ROLLBITE_PYTHON_FILES.
set(folder "${ROLLBITE_PYTHON_FOLDER}")
if(NOT folder)
    execute_process(COMMAND "${ROLLBITE_PYTHON}" "${ROLLBITE_SITE_FOLDER_SCRIPT}" "${CMAKE_INSTALL_PREFIX}"
                    OUTPUT_VARIABLE folder OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed OR NOT folder)
        message(FATAL_ERROR "${ROLLBITE_PYTHON} did not tell where its packages go under ${CMAKE_INSTALL_PREFIX}; "
                            "name the folder with -DROLLBITE_PYTHON_INSTALL_DIR=...")
    endif()
endif()
if(NOT IS_ABSOLUTE "${folder}")
    set(folder "${CMAKE_INSTALL_PREFIX}/${folder}")
endif()
foreach(file IN LISTS ROLLBITE_PYTHON_FILES)
    if(file MATCHES "\\.pyi?$")
        file(INSTALL DESTINATION "${folder}/rollbite" TYPE FILE FILES "${file}")
    else()
        file(INSTALL DESTINATION "${folder}/rollbite" TYPE MODULE FILES "${file}")
    endif()
endforeach()
