# The libraries and programs the project defines under a folder, recursively: what the build
# settings of Precompiled.cmake apply to. Generated object libraries (Qt
# resources), interface and utility targets are left out.
function(trellis_targets_under folder result)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder ${subfolders})
        trellis_targets_under(${subfolder} more)
        list(APPEND targets ${more})
    endforeach()
    set(kept)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
            list(APPEND kept ${target})
        endif()
    endforeach()
    set(${result} ${kept} PARENT_SCOPE)
endfunction()
