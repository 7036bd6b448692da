// The words of the request document that the client's builder, the reader and the
// sample server's echo share: the address elements' names and the values of
// <typesearch> and <typename>. The document's other words stand once, in the builder.
#pragma once

#include <string_view>

namespace CustomPipes::request_words {

// The address elements inside <Adress>.
inline constexpr std::wstring_view kIndex = L"index";
inline constexpr std::wstring_view kSubject = L"subj";
inline constexpr std::wstring_view kDistrict = L"Rayon";
inline constexpr std::wstring_view kSettlement = L"NP";
inline constexpr std::wstring_view kCity = L"city";
inline constexpr std::wstring_view kStreet = L"Street";

// <typesearch>: the body's own address, or a defendant's, whose court is wanted.
inline constexpr std::wstring_view kAddressOfBody = L"AddressOfOrgan";
inline constexpr std::wstring_view kAddressOfDefendant = L"AddressOfObject";

// <typename>: a body's name, or an official's surname.
inline constexpr std::wstring_view kNameOfBody = L"NameOfOrgan";
inline constexpr std::wstring_view kOfficialSurname = L"FamilyOfMan";

}  // namespace CustomPipes::request_words
