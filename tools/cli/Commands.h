#pragma once
// The commands of tidewell-cli. Each reports a failure by throwing a Failure.

#include "Arguments.h"

void RunPorts();
void RunDetect(const Arguments& arguments);
void RunLoad(const Arguments& arguments);
void RunStore(const Arguments& arguments);
void RunShow(const Arguments& arguments);
