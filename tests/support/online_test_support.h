#pragma once
// Debug-line capture for the online-service tests.
#include "support/test_support.h"

using test_support::debug_capture;
