#pragma once
// The platform's conversion of an internationalised host name to its ASCII
// form (IDNA). Kept apart from the URL logic, which takes it as a parameter.
#include <string>

// The ASCII ("xn--") form of `host`, through IdnToAscii; the empty text when
// the platform refuses the name. The result is not checked here: it may hold
// any ASCII the platform's mapping produces (a full-width "/" becomes "/").
std::wstring IdnHostToAscii(const std::wstring& host);
