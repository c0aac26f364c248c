// Peer check on the sample messages of Python's own email tests (found through the local
// python3; skipped without it): every message loads within its ranges, and the leaf parts of
// our tree have the content types that Python's parser gives.
#include "mime/MimeMsgTree.h"
#include "FakeMailServices.h"
#include "tools/mimetree/MimeTreeDump.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

namespace {

std::string CommandOutput(const std::string& Command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(Command.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    return output;
}

TEST(PythonCorpus, LeafTypesMatchPythonsParser)
{
    TBoundLatin1Services services;
    std::string folder = CommandOutput("python3 -c \"import os, test.test_email as t; print(os.path.join(os.path.dirname(t.__file__), 'data'))\" 2>/dev/null");
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r'))
        folder.pop_back();
    if (folder.empty() || !std::filesystem::exists(folder))
        GTEST_SKIP() << "Python's email test data is not on this machine";
    const std::string script =
        "import email, email.policy, os, sys, glob\n"
        "for path in sorted(glob.glob(os.path.join(sys.argv[1], 'msg_*.txt'))):\n"
        "    m = email.message_from_bytes(open(path, 'rb').read(), policy=email.policy.compat32)\n"
        "    print(os.path.basename(path) + '\\t' + ' '.join(p.get_content_type() for p in m.walk() if not p.is_multipart()))\n";
    const std::filesystem::path scriptPath = std::filesystem::temp_directory_path() / "zavek-python-leaves.py";
    std::ofstream(scriptPath) << script;
    std::istringstream python(CommandOutput("python3 " + scriptPath.string() + " " + folder));
    std::filesystem::remove(scriptPath);
    // Where we knowingly differ:
    //  - an empty part is a part here; Python drops it (msg_37);
    //  - message/delivery-status and message/external-body stay leaves here; Python parses
    //    them as header blocks (msg_16, msg_36, msg_43);
    //  - a nested multipart that reuses its parent's boundary owns the delimiter lines up to its
    //    own closing one here; Python flattens it and loses the parts after it (msg_15, msg_39).
    const std::set<std::string> intended = {"msg_15.txt", "msg_16.txt", "msg_36.txt", "msg_37.txt", "msg_39.txt",
                                            "msg_43.txt"};
    int compared = 0;
    for (std::string line; std::getline(python, line);) {
        const std::size_t tab = line.find('\t');
        const std::string name = line.substr(0, tab);
        const std::string expected = line.substr(tab + 1);
        std::ifstream in(folder + "/" + name, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TMimeMsgTree tree;
        tree.Reset();
        tree.LoadMessage(text, 1, lmPreferFormatted | lmNested, 0);
        std::string ours;
        for (int i = 0; i < tree.SectionCount(); ++i) {
            const TSectionNode& node = *tree.GetSection(i);
            EXPECT_LE(static_cast<std::size_t>(node.Section.Start) + node.Section.Length, node.Section.Str().size() + 1);
            if (node.NodeKind != nkOther && node.NodeKind < nkSignature)
                continue;
            const std::string type = MediaTypeText(node.Section.ContentType);
            // A type without subtype is invalid and read as text/plain, as Python does.
            ours += (ours.empty() ? "" : " ") + (type.find('/') == std::string::npos ? std::string("text/plain") : type);
        }
        ++compared;
        if (intended.count(name))
            continue;
        EXPECT_EQ(ours, expected) << name << "\n" << TreeJson(tree);
    }
    EXPECT_GE(compared, 40);
}

// The fields a script compares: a multipart's child count, a leaf's decoded size and SHA-256.
std::vector<std::string> ComparedFields(const std::string& JsonLines)
{
    std::vector<std::string> fields;
    std::istringstream lines(JsonLines);
    for (std::string line; std::getline(lines, line);) {
        auto value = [&](const std::string& Key) {
            const std::size_t at = line.find("\"" + Key + "\": ");
            if (at == std::string::npos)
                return std::string();
            const std::size_t from = at + Key.size() + 4;
            return line.substr(from, line.find_first_of(",}", from) - from);
        };
        if (!value("children").empty())
            fields.push_back("children " + value("children"));
        else if (!value("sha256").empty())
            fields.push_back("leaf " + value("decoded") + " " + value("sha256"));
    }
    return fields;
}

TEST(PythonCorpus, MimetreeAgreesWithPythonOnMessageShapes)
{
    const std::string data = std::string(ZAVEK_TEST_DATA) + "/mime/";
    const std::string script = std::string(ZAVEK_TEST_DATA) + "/../mime/python_tree.py";
    if (CommandOutput("python3 -c \"import email; print(1)\" 2>/dev/null").empty())
        GTEST_SKIP() << "no python3 on this machine";
    // Where Python loses a part we keep: it drops an empty part, and it flattens multiparts that
    // reuse one boundary name, losing the attachment after the inner closing delimiter. There,
    // every leaf Python keeps must be ours too.
    const std::set<std::string> pythonLoses = {"shapes/empty-part.eml", "shapes/reused-boundary.eml",
                                               "shapes/triple-boundary.eml"};
    std::vector<std::string> files;
    for (const char* folder : {"shapes", "trees"})
        for (const auto& entry : std::filesystem::directory_iterator(data + folder))
            if (entry.path().extension() == ".eml")
                files.push_back(std::string(folder) + "/" + entry.path().filename().string());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 12u);
    for (const std::string& file : files) {
        const std::string python = CommandOutput("python3 " + script + " " + data + file);
        const std::vector<std::string> theirs = ComparedFields(python.substr(python.find('\n') + 1));
        const std::vector<std::string> ours = ComparedFields(CommandOutput(std::string(ZAVEK_MIMETREE) + " " + data + file));
        ASSERT_FALSE(theirs.empty()) << file;
        if (!pythonLoses.count(file)) {
            EXPECT_EQ(ours, theirs) << file;
            continue;
        }
        // Python's empty leaves there are the flattened inner headers, not parts of the message.
        auto contentLeaves = [](const std::vector<std::string>& Fields) {
            std::multiset<std::string> leaves;
            for (const std::string& field : Fields)
                if (field.rfind("leaf ", 0) == 0 && field.rfind("leaf 0 ", 0) != 0)
                    leaves.insert(field);
            return leaves;
        };
        std::multiset<std::string> kept = contentLeaves(ours);
        const std::multiset<std::string> pythonLeaves = contentLeaves(theirs);
        EXPECT_GT(ours.size(), theirs.size()) << file;
        for (const std::string& leaf : pythonLeaves) {
            const auto found = kept.find(leaf);
            EXPECT_TRUE(found != kept.end()) << file << ": " << leaf;
            if (found != kept.end())
                kept.erase(found);
        }
    }
}

} // namespace
