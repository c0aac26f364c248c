// The recipient list dialog's keys from the PGP interface: the working key list filled with the
// keys that can encrypt, their descriptions, and the status of a key named by its id.
#pragma once

#include "engine/PGPInterface.h"
#include "ui/dialogs/AutoListDialog.h"

class TPGPAutoListKeys : public IAutoListDialogKeys {
public:
    TPGPAutoListKeys(TPGPInterface& pgp, const TZAVEKStrings& texts);

    const TKeyPropsList& LoadKeys() override;
    std::string Description(int index) override;
    std::string StatusText(const std::string& keyID) override;
    void Clear() override;

private:
    TPGPInterface& pgp_;
    const TZAVEKStrings& texts_;
};
