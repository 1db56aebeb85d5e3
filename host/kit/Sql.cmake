# Local-database lookups: the shared database module and the lookup query.
target_sources(host_kit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DatabaseDialect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalDatabaseSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PositionalSql.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueryDataSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TADOIBQuery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TADOIBStringField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TParam.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TParams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dtmDBGeral.cpp
)
target_link_libraries(host_kit PUBLIC Qt6::Sql)
