#pragma once
// The Verify/Decrypt job: what runs when the person presses Verify/Decrypt on the form (or runs
// quillbox-cli open). It reads and trims the form, checks the paths, and takes each document
// through its layers to its output file, reporting every outcome through the JobUi and the log.
#include "certs/certificate_tools.h"
#include "pipeline/activity_log.h"
#include "pipeline/app_paths.h"
#include "pipeline/job_form.h"
#include "pipeline/job_key_store.h"
#include "pipeline/job_report.h"
#include "pipeline/path_style.h"
#include "pipeline/standard_streams.h"

#include <string>

class JobUi;

struct JobSettings {
    AppPaths appPaths; // the activity log and the key-notice marker live here
    std::string keyStoreDirectory;
    // Opens the personal certificate store; tests put a store of their own here.
    KeyStoreOpener openKeyStore = openUserKeyStore;
    const PathStyle* pathStyle = &PathStyle::native();
    const FileAccess* fileAccess = nullptr; // null: the platform's access checks
    ActivityLog::Clock logClock = ActivityLog::localNow;
    StandardStreams streams = {};
    // File names may hold any character (the command line); the form refuses some.
    bool anyFileName = false;
    // Reads the CA certificates, once per job; a program that runs many jobs in a row may hand out one
    // store it has read.
    CaStoreMaker makeCaStore = makeVerificationStore;
};

// One job. An errorDef::Fatal ends it through ui.terminateApplication, which does not return in
// the desktop program; where it returns, the job ends there and its report is returned.
JobReport OnVerifyDecrypt(JobForm& form, JobUi& ui, const JobSettings& settings);
