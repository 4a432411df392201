#pragma once
// The published version file: <ProductVersions><Findaro><Version>1.01</Version>
// <URL>...</URL></Findaro>...</ProductVersions>, element names exact, the
// first of several counting, everything else ignored.

#include <string>

struct TVersionFileEntry {
    bool Found = false; // false: "ProductVersions", the product, "Version" or "URL" missing,
                        // or a "Version" that is no number
    double Version = 0;
    std::string URL;
};

// Throws TUpdateCheckError for a body that is not a well-formed XML document
// and for a "Version" or "URL" element that holds more than text.
TVersionFileEntry ReadVersionFile(const std::string& body, const std::string& product,
                                  char userDecimalSeparator);

// The version text as a number: a point as decimal separator, or the user's
// own; blanks around it allowed. False for anything else.
bool ParseVersionNumber(const std::string& text, char userDecimalSeparator, double& value);

// Versions compare as numbers: 1.10 is 1.1, lower than 1.9.
inline bool IsNewerVersion(double published, double running) {
    return published > running;
}
