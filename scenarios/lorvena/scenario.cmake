# The data units of the LORVENA scenario.
set(SCENARIO_DATA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scenario.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line_description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/train_description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/slowdown_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/timetable_sheet.cpp
)
set(SCENARIO_DATA_INCLUDE ${CMAKE_CURRENT_LIST_DIR})
