#pragma once

#include <exception>

// Thrown by a reader whose layout does not match the file's header; the loader chain catches it
// and tries the next reader. Carries no message of its own.
class loader_wrong_header : public std::exception
{
public:
    ~loader_wrong_header() override;
};
