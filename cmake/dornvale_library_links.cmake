# A room's library takes its headers from qt/ (DORNVALE_SOURCE_ROOT) and links the given libraries for
# all that use it.
function(dornvale_library_links name)
  target_include_directories(${name} PUBLIC ${DORNVALE_SOURCE_ROOT})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
