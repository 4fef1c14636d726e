# The layers of the code, lowest first. A source includes headers of its own
# folder and of the folders on the levels below its own; never one beside
# it on its own level, never one above. Folders on one level are joined by
# "+": they stand side by side and neither knows the other. Tests, benches
# and tools stand outside the layers and may include anything.
set(TARNIX_LAYERS
    meter+platform  # frames decoded, pure; every system call
    link+records    # the meter's wire protocol; the files a recording is kept in
    logger+analysis # the meter's data logger; convert, stats, slices of time
    trend+plot      # the trend window's model; the list plots' geometry
    core            # the objects on platform::Clock: polling, recording, alarms
    mqtt+sim+ui+http # the broker, the simulated meter, the windows, the web server: joined by the programs only
    cli             # the programs' command lines (app/cli/)
    app)            # the programs (app/*.cpp)

set(tarnix_level 0)
foreach(tarnix_layer IN LISTS TARNIX_LAYERS)
    string(REPLACE "+" ";" tarnix_folders "${tarnix_layer}")
    foreach(tarnix_folder IN LISTS tarnix_folders)
        set(TARNIX_LEVEL_${tarnix_folder} ${tarnix_level})
    endforeach()
    math(EXPR tarnix_level "${tarnix_level} + 1")
endforeach()

# Stops configuring when a source of one of the targets includes a header
# of a folder on its own level or above, or lies in a folder with no level.
# A source's folder is the first part of its path (ui/trend/X.cpp: ui); a
# source beside its CMakeLists.txt belongs to that directory's name (app).
function(tarnix_check_layers)
    foreach(target IN LISTS ARGN)
        get_target_property(sources ${target} SOURCES)
        get_target_property(dir ${target} SOURCE_DIR)
        get_filename_component(home "${dir}" NAME)
        foreach(source IN LISTS sources)
            file(RELATIVE_PATH shown "${PROJECT_SOURCE_DIR}" "${dir}/${source}")
            string(REGEX MATCH "^[^/]+/" folder "${source}")
            string(REPLACE "/" "" folder "${folder}")
            if(NOT folder)
                set(folder ${home})
            endif()
            if(NOT DEFINED TARNIX_LEVEL_${folder})
                message(FATAL_ERROR "${shown}: its folder ${folder}/ has no place in "
                                    "TARNIX_LAYERS (cmake/Layers.cmake)")
            endif()
            file(STRINGS "${dir}/${source}" includes
                 REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
            foreach(line IN LISTS includes)
                string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*" "\\1" to "${line}")
                if(to STREQUAL folder)
                    continue()
                endif()
                if(NOT DEFINED TARNIX_LEVEL_${to}
                   OR TARNIX_LEVEL_${to} GREATER_EQUAL TARNIX_LEVEL_${folder})
                    string(STRIP "${line}" line)
                    message(FATAL_ERROR "${shown}: ${line} runs up the layers: ${folder}/ "
                                        "includes only its own headers and those of the "
                                        "levels below it in TARNIX_LAYERS (cmake/Layers.cmake)")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()

# Every folder of src/ has its level, so that a new one is placed on purpose.
file(GLOB tarnix_folders LIST_DIRECTORIES true RELATIVE "${PROJECT_SOURCE_DIR}/src"
     "${PROJECT_SOURCE_DIR}/src/*")
foreach(tarnix_folder IN LISTS tarnix_folders)
    if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/src/${tarnix_folder}"
       AND NOT DEFINED TARNIX_LEVEL_${tarnix_folder})
        message(FATAL_ERROR
                "src/${tarnix_folder}/ has no place in TARNIX_LAYERS (cmake/Layers.cmake)")
    endif()
endforeach()
