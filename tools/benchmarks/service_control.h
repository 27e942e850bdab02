#pragma once
// The benchmarks script the update service tool (tools/update_service) on
// loopback through its control endpoint.
#include <windows.h>

#include <string>

// Sets the service's answer for every following request (POST /control/default).
bool SetDefaultAnswer(unsigned short port, const std::string& json);
