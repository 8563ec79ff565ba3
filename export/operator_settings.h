// What the window and the console runner share about the settings an
// operator gives a run: their defaults (the window's initial field texts,
// the runner's option defaults and its --help text), the messages of their
// checks and the geocoder's code. Every text is ASCII, so the same bytes in
// Windows-1251 and UTF-8. Constants and a pure function; any thread.
#pragma once

#include <cstdint>
#include <string>

// The source database.
inline constexpr char kDefaultDbHost[] = "127.0.0.1";
inline constexpr char kDefaultDbPort[] = "3306";  // a text, as the field holds it
inline constexpr char kDefaultDbName[] = "velmora";
inline constexpr char kDefaultDbUser[] = "root";
inline constexpr char kDefaultDbPassword[] = "quietlamp";
// The connection's charset; not a setting, always this.
inline constexpr char kDbCharset[] = "cp1251";

// The target platform.
inline constexpr char kDefaultUrl[] = "http://127.0.0.1:8080/";
inline constexpr char kDefaultUser[] = "root";
inline constexpr char kDefaultPassword[] = "larkspur";
// The longest wait for the platform's answer in milliseconds, 0 for no
// limit: the HTTP session's own default (operator_settings.cpp checks that
// the two agree).
inline constexpr int32_t kDefaultReadTimeoutMs = 60000;

// The export parameters.
inline constexpr char kDefaultObjPrefix[] = "0";  // a text, as the field holds it
// The geocoders in the window's order; the first is the default.
inline constexpr const char* kGeocoderNames[] = {"Yandex", "Google"};
inline constexpr const char* kDefaultGeocoder = kGeocoderNames[0];

// The messages of the checks, word for word.
inline constexpr char kBadPortMessage[] = "Imput correct MySQL port";
inline constexpr char kBadPrefixMessage[] = "Imput correct object prefix";
inline constexpr char kBadObjectListMessage[] = "Input correct object list";
inline constexpr char kEmptyUrlMessage[] = "Input the Marivon URL";  // the window's

// The code the platform knows a geocoder by: "GGL" for "Google", "YDX" for
// any other name.
std::string GeocoderCode(const std::string& name);
