// The three writers a host registers with its logger, in one include.
#pragma once

#include "logging/console_writer.h"
#include "logging/event_writer.h"
#include "logging/file_writer.h"
