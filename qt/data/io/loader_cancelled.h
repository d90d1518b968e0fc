#pragma once

#include <exception>

// Thrown by a reader after the user cancelled the load; nothing read survives. Carries no message
// of its own.
class loader_cancelled : public std::exception
{
public:
    ~loader_cancelled() override;
};
