// Recursive descent over the packet tags of one message level.
#include "standins/pgpsdk/openpgp/Grammar.h"

#include <algorithm>

namespace standin::openpgp {
namespace {

class MessageGrammar {
public:
    explicit MessageGrammar(const std::vector<Packet>& packets)
    {
        for (const auto& packet : packets)
            if (packet.tag != kTagMarker)
                tags_.push_back(packet.tag);
    }

    bool WholeMessage()
    {
        if (!Message())
            return false;
        while (at_ < tags_.size() && tags_[at_] == kTagPadding)
            ++at_;
        return at_ == tags_.size();
    }

private:
    bool Take(int tag)
    {
        if (at_ >= tags_.size() || tags_[at_] != tag)
            return false;
        ++at_;
        return true;
    }
    bool Message()
    {
        if (at_ >= tags_.size() || ++depth_ > kMaxSignatureNesting)
            return false;
        switch (tags_[at_]) {
        case kTagPKESK:
        case kTagSKESK:
            while (Take(kTagPKESK) || Take(kTagSKESK)) {
            }
            return Take(kTagSEIPD) || Take(kTagSymmetricallyEncrypted);
        case kTagSEIPD:
        case kTagSymmetricallyEncrypted:
        case kTagCompressed:
        case kTagLiteral:
            ++at_;
            return true;
        case kTagSignature:
            ++at_;
            return Message();
        case kTagOnePassSignature:
            ++at_;
            return Message() && Take(kTagSignature);
        default:
            return false;
        }
    }

    static constexpr int kMaxSignatureNesting = 64;
    std::vector<int> tags_;
    size_t at_ = 0;
    int depth_ = 0;
};

} // namespace

bool IsOpenPGPMessage(const std::vector<Packet>& packets) { return MessageGrammar(packets).WholeMessage(); }

bool IsSignatureBlock(const std::vector<Packet>& packets)
{
    bool any = false;
    for (const auto& packet : packets) {
        if (packet.tag == kTagSignature)
            any = true;
        else if (packet.tag != kTagMarker)
            return false;
    }
    return any;
}

} // namespace standin::openpgp
