#pragma once
// The file layer lives in the platform layer; this name stays for its users.
#include "platform/FileLayer.hpp"
