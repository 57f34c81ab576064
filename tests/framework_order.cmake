# Fails when a file of the document framework includes one above it in the framework's own
# order: view, document, document window, template, application, main window. Each knows only
# those before it; what one needs from a later one comes as a signal, an interface the later
# one implements (DocumentHost, MDIClientFrame) or a value it is handed (PrintSettings).
# Run as: cmake -DROOT=<source folder> -P tests/framework_order.cmake
set(order richeditview richeditdoc mdichildwnd multidoctemplate winapp mdiframewnd)

set(faults "")
list(LENGTH order count)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  list(GET order ${index} name)
  math(EXPR next "${index} + 1")
  set(above "")
  if(next LESS count)
    list(SUBLIST order ${next} -1 above)
  endif()
  foreach(source "${ROOT}/platform/framework/${name}.h" "${ROOT}/platform/framework/${name}.cpp")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"platform/framework/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"platform/framework/([^\".]*)\\.h\".*$" "\\1" included "${line}")
      list(FIND above "${included}" up)
      if(NOT up EQUAL -1)
        file(RELATIVE_PATH file "${ROOT}" "${source}")
        list(APPEND faults "${file} includes ${included}.h")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes running back up the framework:\n  ${text}")
endif()
message(STATUS "The ${count} framework files include only those before them")
