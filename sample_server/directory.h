// The sample server's directory: a small built-in list of invented courts and other
// bodies. Every name, address, phone number and judge in it is fictional.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace sample_server {

struct PostalAddress {
    std::wstring index;       // postal index
    std::wstring subject;     // federal subject
    std::wstring district;    // district (район), may be empty
    std::wstring city;        // city, may be empty
    std::wstring settlement;  // settlement (населенный пункт), may be empty
    std::wstring street;      // street with house number
};

struct Body {
    std::wstring code;  // 14 digits
    std::wstring name;
    std::wstring kind;
    PostalAddress address;
    std::wstring phone;
    std::vector<std::wstring> judges;  // "Surname I. O."; empty for bodies without judges
    // Settlements and streets the body serves besides its own address: what a search
    // by a defendant's address matches against.
    std::vector<std::wstring> territory;
};

std::span<const Body> SampleDirectory();

// The address as one line, in the usual Russian order: index, subject, district, city,
// settlement, street; empty parts left out.
std::wstring FormatAddress(const PostalAddress& address);

}  // namespace sample_server
