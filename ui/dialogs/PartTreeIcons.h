// The small icons of a part tree: one image pair (normal, selected) per node, chosen by the node's
// kind and file type from the system's icons, over the tree's background colour.
#pragma once

#include "framework/Graphics.h"
#include "mime/MimeMsgTree.h"
#include "ui/controls/ImgListEx.h"

#include <memory>
#include <type_traits>
#include <vector>

// An icon handle that is destroyed with its owner.
using TOwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)>;

class TPartTreeIcons {
public:
    explicit TPartTreeIcons(TComponent* owner);

    // Builds the image list for every node of tree over the background colour.
    void AssignIcons(const TMimeMsgTree& tree, TColor background);
    TImageList* GetImageList() noexcept { return images_; }
    // The node's first image index, -1 when it has none.
    int ImageOf(int node) const;
    // A new icon of the node's image (null when it has none).
    TOwnedIcon GetIcon(int node) const;

private:
    T32BitImages* images_;
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, decltype(&DeleteObject)> brush_ {nullptr, &DeleteObject};
    std::vector<int> indexes_;
};
