# What the shared library shows to users: message and focus routines, the busy indicator, the search
# list, the date edit, the search button and the production prompts.
target_sources(host_kit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BusyIndicator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConsisteControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConsisteDates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConsisteGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConsisteMessages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogPrompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Pesquisa.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Showavi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TBtnPesquisa.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDateEditPlus.cpp
)
target_link_libraries(host_kit PUBLIC host_controls Qt6::Widgets)
