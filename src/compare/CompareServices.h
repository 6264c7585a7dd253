#pragma once

#include "model/PathCheck.h"

class CCRC32;
class CCompare;
class ErrorHandler;
class ErrorLog;
class ParvexLib;
class UserDialogs;

// The process-wide objects a comparison works with, handed over by whoever owns them (the program's
// context, the headless front end). Only references: the owner outlives every run.
struct CompareServices
{
    CCompare& compare;
    const CCRC32& crc32;
    const ParvexLib& lib;
    ErrorHandler& errors;
    ErrorLog& log;
    UserDialogs& dialogs;

    PathCheckEnv PathCheck() const { return {lib, errors, dialogs}; }
};
