// The words of the request document that the client's builder, the reader and the
// sample server's echo share: the address elements' names and the values of
// <typesearch> and <typename>. The document's other words stand once, in the builder.
#pragma once

namespace CustomPipes::request_words {

// The address elements inside <Adress>.
constexpr const wchar_t* kIndex = L"index";
constexpr const wchar_t* kSubject = L"subj";
constexpr const wchar_t* kDistrict = L"Rayon";
constexpr const wchar_t* kSettlement = L"NP";
constexpr const wchar_t* kCity = L"city";
constexpr const wchar_t* kStreet = L"Street";

// <typesearch>: the body's own address, or a defendant's, whose court is wanted.
constexpr const wchar_t* kAddressOfBody = L"AddressOfOrgan";
constexpr const wchar_t* kAddressOfDefendant = L"AddressOfObject";

// <typename>: a body's name, or an official's surname.
constexpr const wchar_t* kNameOfBody = L"NameOfOrgan";
constexpr const wchar_t* kOfficialSurname = L"FamilyOfMan";

}  // namespace CustomPipes::request_words
