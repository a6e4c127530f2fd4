# Precompiled headers. A precompiled header serves only files compiled as it was: with the same
# options, the same Qt definitions, and position-independent code if Qt is linked. So each set
# of headers is compiled once, in a small library that links what its users link, and the
# libraries and executables that link the same reuse it.

# Whether target links a library whose name matches pattern, directly or through the project's
# libraries.
function(demagora_links target pattern result)
    set(${result} FALSE PARENT_SCOPE)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    foreach(library IN LISTS libraries interface)
        if(library MATCHES "${pattern}")
            set(${result} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${library} AND library MATCHES "^demagora_")
            demagora_links(${library} "${pattern}" found)
            if(found)
                set(${result} TRUE PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
endfunction()

# Calls function(target) for every library and executable defined in folder and below it.
function(demagora_for_each_target folder function)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            cmake_language(CALL ${function} ${target})
        endif()
    endforeach()
    get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS folders)
        demagora_for_each_target(${subfolder} ${function})
    endforeach()
endfunction()
