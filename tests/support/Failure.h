#pragma once
#include <gtest/gtest.h>

#include "device/Errors.h"

// The device error that `f` throws; a test failure when it throws none.
template <typename F>
kAPI::Error Failure(F&& f)
{
    try {
        f();
    } catch (const kAPI::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return kAPI::Error(L"", 0);
}
