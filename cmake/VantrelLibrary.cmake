# vantrel_sees_tree(<target>): the target's #include lines name files from the
# top of the tree, as "server/TftpSocket.h" does. Given to each target that
# needs it, not to all, so that a library can be given a narrower view.
function(vantrel_sees_tree target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# The folders that hold one platform's implementations beside the headers they
# implement: Qt's on Linux, Win32's on Windows.
if(WIN32)
  set(VANTREL_PLATFORM_FOLDERS win32)
else()
  set(VANTREL_PLATFORM_FOLDERS qt)
endif()

# vantrel_library(<name> <deps>...): a static library of every .cpp file in the
# calling folder and in its folder for this platform, except main.cpp and
# WinMain.cpp, which belong to an executable. The headers are listed too, so that Qt's moc finds
# those that sit apart from their implementation.
function(vantrel_library name)
  set(folders ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(folder ${VANTREL_PLATFORM_FOLDERS})
    list(APPEND folders ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
  endforeach()
  list(TRANSFORM folders APPEND /*.cpp OUTPUT_VARIABLE patterns)
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  list(FILTER sources EXCLUDE REGEX "/(main|WinMain)\\.cpp$")
  if(NOT sources)
    return()
  endif()
  list(TRANSFORM folders APPEND /*.h OUTPUT_VARIABLE patterns)
  file(GLOB headers CONFIGURE_DEPENDS ${patterns})
  list(APPEND sources ${headers})
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
  vantrel_sees_tree(${name})
  set_target_properties(${name} PROPERTIES AUTOMOC ${VANTREL_AUTOMOC})
endfunction()

# vantrel_library_sees(<name> <path>...): the library's own #include lines find
# only these folders and headers of the tree, through a view of links in the
# build tree, so that an include of anything else fails to compile.
function(vantrel_library_sees name)
  set(view ${CMAKE_CURRENT_BINARY_DIR}/${name}_includes)
  # Links from an earlier configure go first (unlinked, never followed).
  file(GLOB_RECURSE old_links LIST_DIRECTORIES true ${view}/*)
  foreach(link ${old_links})
    if(IS_SYMLINK ${link})
      file(REMOVE ${link})
    endif()
  endforeach()
  foreach(path ${ARGN})
    get_filename_component(parent ${view}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${view}/${path} SYMBOLIC)
  endforeach()
  set_property(TARGET ${name} PROPERTY INCLUDE_DIRECTORIES ${view})
endfunction()
