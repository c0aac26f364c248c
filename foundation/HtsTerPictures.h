// How the HTML/RTF converter answers a picture reference of an HTML text: a local picture file is
// kept, a "cid:" reference is remembered, and everything else gets the default picture. Window-free.
#pragma once

#include <functional>
#include <string>

enum class TPictureAnswer { Keep, Default, Remember };

struct TPictureResolution {
    TPictureAnswer Answer = TPictureAnswer::Default;
    std::string Path; // the file to use when kept
};

// isLocalPicture tells whether a local path names an existing file of a known picture format.
// Paths that would reach another machine (UNC, device paths, "file:" with a host) are never opened.
TPictureResolution ResolvePictureReference(
    const std::string& reference, const std::function<bool(const std::string&)>& isLocalPicture);

// A picture format this system shows, by the file's first 44 bytes (BMP, GIF, JPEG and EXIF, PNG, EMF,
// WMF, ICO; not TIFF).
bool IsKnownPictureHeader(const std::string& header);
