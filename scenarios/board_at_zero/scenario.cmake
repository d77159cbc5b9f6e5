# The ZEROTEST scenario: a short route whose first speed indicator board
# stands at metre 0, in the cell whose slot the sealing step reserves. Its
# builds must stop with the reserved-slot error before writing any binary
# file. The three documents are those of LORVENA.
set(SCENARIO_DATA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scenario.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line_description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/train_description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../lorvena/notes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../lorvena/slowdown_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../lorvena/timetable_sheet.cpp
)
set(SCENARIO_DATA_INCLUDE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../lorvena)
