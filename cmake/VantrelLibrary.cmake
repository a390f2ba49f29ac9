# vantrel_library(<name> <deps>...): a static library of every .cpp file in the
# calling folder, except main.cpp, which belongs to an executable.
function(vantrel_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()
