# Certificate parser: portable (both builds), fuzzed natively.
add_library(zavek_asn1tools STATIC ${CMAKE_CURRENT_LIST_DIR}/ASN1Tools.cpp)
target_link_libraries(zavek_asn1tools PUBLIC zavek_keytypes zavek_strutil)
