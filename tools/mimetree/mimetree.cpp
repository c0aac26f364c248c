// mimetree: prints the part tree of a message file as JSON lines (kind, content type, charset,
// transfer encoding, file name, byte range and decoded size of every node; the SHA-256 of every
// leaf's decoded content and the child count of every multipart).
#include "tools/mimetree/MimeTreeDump.h"
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: mimetree MESSAGE-FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "mimetree: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        TMimeMsgTree tree;
        tree.Reset();
        tree.LoadMessage(text, 1, lmWide | lmRelated | lmPreferFormatted | lmNested, 0);
        std::cout << TreeJson(tree);
        return tree.Truncated ? 3 : 0;
    } catch (const std::exception& e) {
        std::cerr << "mimetree: " << e.what() << "\n";
        return 1;
    }
}
