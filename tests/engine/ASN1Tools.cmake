# Certificate parser: fixture and hand-made DER tests (both builds) and its fuzz target, whose
# corpus is the fixture folder.
zavek_add_test(NAME ASN1ToolsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ASN1ToolsTest.cpp
  LIBS zavek_asn1tools)
zavek_add_fuzzer(NAME ASN1ToolsFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/ASN1ToolsFuzz.cpp
  LIBS zavek_asn1tools CORPUS ${PROJECT_SOURCE_DIR}/tests/data/certs)
