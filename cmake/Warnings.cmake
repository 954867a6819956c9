# One compile configuration shared by every target of the project.
add_library(velqo_build_flags INTERFACE)
target_compile_options(velqo_build_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
if(VELQO_WERROR)
  target_compile_options(velqo_build_flags INTERFACE -Werror)
endif()
if(VELQO_SANITIZE)
  target_compile_options(velqo_build_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(velqo_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# Core libraries: one per folder, so the layering common <- config <- actions
# <- engine is enforced by what each library links. None of them links Qt.
function(velqo_core_library name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    # A folder with headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE velqo_build_flags ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC velqo_build_flags ${ARGN})
endfunction()
