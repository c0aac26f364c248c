# PGP/MIME and S/MIME body builders and the splitter of received entities: portable, built in both builds.
add_library(zavek_psmime STATIC ${CMAKE_CURRENT_LIST_DIR}/PSMimeTools.cpp ${CMAKE_CURRENT_LIST_DIR}/PSMimeSplit.cpp
            ${CMAKE_CURRENT_LIST_DIR}/PSMimeParts.cpp ${CMAKE_CURRENT_LIST_DIR}/PSMimeHtml.cpp
            ${CMAKE_CURRENT_LIST_DIR}/EncodedText.cpp)
target_link_libraries(zavek_psmime PUBLIC Base64 Isaac MailUtils)
