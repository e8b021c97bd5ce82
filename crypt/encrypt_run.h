#pragma once
#include "crypt/run_listener.h"
#include "crypt/run_settings.h"

// The encryption run: every row's file becomes a container beside itself,
// and the source goes once the container stands.
void EncryptRows(RunListener& listener, const RunSettings& settings);
