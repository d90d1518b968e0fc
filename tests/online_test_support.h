#pragma once
// Debug-line capture for the online-service tests.
#include "test_support.h"

using test_support::debug_capture;
