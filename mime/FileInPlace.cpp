// FileInPlace: a rewrite in place guarded by an undo file. The undo file is written under a
// temporary name, flushed and only then named, so its presence means it is whole; it names where
// the rewrite begins and carries fingerprints of the old and the new content, so a repair can
// tell an interrupted rewrite from a finished one and from a file changed by someone else.
#include "mime/FileInPlace.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

struct TFileCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

// Opened for reading and writing without truncation; other holders' sharing allows this when they
// let others write, as the mail client does.
TFile OpenForUpdate(const std::string& Path) { return TFile(std::fopen(Path.c_str(), "r+b")); }

bool ReadWhole(const std::string& Path, std::string& Bytes)
{
    TFile file(std::fopen(Path.c_str(), "rb"));
    if (!file)
        return false;
    Bytes.clear();
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        Bytes.append(buffer, got);
    return !std::ferror(file.get());
}

// Written data on the disk, not only in the system's cache: a crash after this keeps it.
bool FlushToDisk(std::FILE* File)
{
    if (std::fflush(File) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(File)) == 0;
#else
    return fsync(fileno(File)) == 0;
#endif
}

bool SetLength(std::FILE* File, std::size_t Length)
{
    if (std::fflush(File) != 0)
        return false;
#ifdef _WIN32
    return _chsize_s(_fileno(File), static_cast<long long>(Length)) == 0;
#else
    return ftruncate(fileno(File), static_cast<off_t>(Length)) == 0;
#endif
}

// Bytes from Start on written at Start, the file then cut to end with them, flushed.
bool WriteTail(std::FILE* File, const std::string& Bytes, std::size_t Start)
{
    if (std::fseek(File, static_cast<long>(Start), SEEK_SET) != 0)
        return false;
    const std::size_t count = Bytes.size() - Start;
    if (count > 0 && std::fwrite(Bytes.data() + Start, 1, count, File) != count)
        return false;
    return SetLength(File, Bytes.size()) && FlushToDisk(File);
}

// FNV-1a: enough to recognise a content again, nothing secret depends on it.
uint64_t Fingerprint(const std::string& Bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : Bytes)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

struct TUndo {
    std::size_t Start = 0;
    uint64_t OldPrint = 0;
    uint64_t NewPrint = 0;
    std::string OldTail;
};

bool WriteUndoFile(const std::string& Path, const TUndo& Undo)
{
    const std::string name = UndoFileName(Path);
    const std::string temporary = name + ".tmp";
    {
        TFile file(std::fopen(temporary.c_str(), "wb"));
        if (!file)
            return false;
        const std::string head = std::to_string(Undo.Start) + " " + std::to_string(Undo.OldPrint) + " " +
                                 std::to_string(Undo.NewPrint) + "\n";
        const bool written = std::fwrite(head.data(), 1, head.size(), file.get()) == head.size() &&
                             std::fwrite(Undo.OldTail.data(), 1, Undo.OldTail.size(), file.get()) == Undo.OldTail.size() &&
                             FlushToDisk(file.get());
        if (!written) {
            file.reset();
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::remove(name.c_str());
    if (std::rename(temporary.c_str(), name.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadUndoFile(const std::string& Path, TUndo& Undo)
{
    std::string bytes;
    if (!ReadWhole(UndoFileName(Path), bytes))
        return false;
    const std::size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string::npos)
        return false;
    std::istringstream head(bytes.substr(0, lineEnd));
    if (!(head >> Undo.Start >> Undo.OldPrint >> Undo.NewPrint))
        return false;
    Undo.OldTail = bytes.substr(lineEnd + 1);
    return true;
}

} // namespace

std::string UndoFileName(const std::string& Path) { return Path + ".zvk-undo"; }

bool RewriteFileInPlace(const std::string& Path, const std::string& Old, const std::string& New)
{
    if (Old == New)
        return true;
    std::size_t start = 0;
    while (start < Old.size() && start < New.size() && Old[start] == New[start])
        ++start;
    TFile file = OpenForUpdate(Path);
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0 || std::ftell(file.get()) != static_cast<long>(Old.size()))
        return false;
    const TUndo undo{ start, Fingerprint(Old), Fingerprint(New), Old.substr(start) };
    if (!WriteUndoFile(Path, undo))
        return false;
    if (!WriteTail(file.get(), New, start)) {
        // Put the old bytes back at once; only when that fails too does the undo file stay.
        if (WriteTail(file.get(), Old, start))
            std::remove(UndoFileName(Path).c_str());
        return false;
    }
    file.reset();
    std::remove(UndoFileName(Path).c_str());
    return true;
}

void RepairInterruptedRewrite(const std::string& Path)
{
    // An undo file that never got its name was not whole: the rewrite had not begun.
    std::remove((UndoFileName(Path) + ".tmp").c_str());
    TUndo undo;
    if (!ReadUndoFile(Path, undo))
        return;
    std::string current;
    if (!ReadWhole(Path, current))
        return;
    const uint64_t currentPrint = Fingerprint(current);
    if (currentPrint == undo.NewPrint || currentPrint == undo.OldPrint) {
        std::remove(UndoFileName(Path).c_str());
        return;
    }
    if (current.size() < undo.Start)
        return;
    const std::string old = current.substr(0, undo.Start) + undo.OldTail;
    if (Fingerprint(old) != undo.OldPrint)
        return;
    TFile file = OpenForUpdate(Path);
    if (file && WriteTail(file.get(), old, undo.Start)) {
        file.reset();
        std::remove(UndoFileName(Path).c_str());
    }
}
