# Parsing Qt's headers was most of each file's compile time: each library parses them once.
option(DORNVALE_PCH "Precompile the Qt headers" ON)
set(DORNVALE_PCH_CORE <QtCore/QtCore> <vector> <memory> <functional> <algorithm> <string>)
set(DORNVALE_PCH_GUI ${DORNVALE_PCH_CORE} <QtWidgets/QtWidgets>)
function(dornvale_precompile target)
  if(DORNVALE_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
