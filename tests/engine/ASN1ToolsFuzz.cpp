// Fuzz target for the certificate parser: any bytes, read as a certificate and as an encoded name.
// The sanitizers turn any read past the input into a failure.
#include "engine/ASN1Tools.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so a read one past the end hits the sanitizer's red zone.
    const std::vector<uint8_t> bytes(data, data + size);
    TX509CertASN1Parser parser;
    parser.ScanCertificate(bytes.data(), bytes.size());
    parser.ReadDNSerialNumber(bytes.data(), bytes.size());
    return 0;
}
