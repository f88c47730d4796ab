# One static library per folder of src/, named zentrivo_<folder>, built from every source in
# that folder, linking exactly the subsystems and Qt modules that its sources include.
#   zentrivo_subsystem(<folder> [USES <subsystem>...] [QT <module>...])
function(zentrivo_subsystem folder)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;QT")
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    set(target zentrivo_${folder})
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    foreach(used IN LISTS arg_USES)
        target_link_libraries(${target} PUBLIC zentrivo_${used})
    endforeach()
    foreach(module IN LISTS arg_QT)
        target_link_libraries(${target} PUBLIC Qt6::${module})
    endforeach()
endfunction()
