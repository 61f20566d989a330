#include "pipeline/job_driver.h"

#include "certs/certificate_tools.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"
#include "pipeline/form_reset.h"
#include "pipeline/form_text.h"
#include "pipeline/job_context.h"
#include "pipeline/job_ui.h"
#include "pipeline/layer_loop.h"
#include "pipeline/path_validation.h"
#include "platform/output_file.h"
#include "platform/work_progress.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <utility>

namespace {

constexpr int fatalExitStatus = EXIT_FAILURE;

class JobDriver {
public:
    JobDriver(JobForm& form, JobUi& ui, const JobSettings& settings)
        : form_(form), ui_(ui), settings_(settings), log_(settings.appPaths.logPath(), ui, settings.logClock),
          keyStore_(settings.openKeyStore, settings.keyStoreDirectory, ui),
          markerPath_(settings.appPaths.keyNoticeMarkerPath()) {}

    JobReport run() {
        removeLeftoversOfEndedSaves();
        values_ = form_.readValues();
        values_.input = trimmedBoxText(values_.input);
        values_.output = trimmedBoxText(values_.output);
        values_.crlPath = trimmedBoxText(values_.crlPath);
        form_.setBoxText(FormBox::Input, values_.input);
        form_.setBoxText(FormBox::Output, values_.output);
        form_.setBoxText(FormBox::CrlPath, values_.crlPath);
        form_.showValues();

        const FileAccess platformAccess;
        const FileAccess& access = settings_.fileAccess != nullptr ? *settings_.fileAccess : platformAccess;
        const std::optional<JobPaths> paths = ValidateJobPaths(
            values_, form_, ui_, *settings_.pathStyle, access, {&settings_.streams, settings_.anyFileName});
        if (!paths) {
            return std::move(report_);
        }
        report_.pathsValid = true;
        if (values_.multipleSelection) {
            runBatch(*paths);
        } else {
            runSingleFile();
        }
        return std::move(report_);
    }

private:
    // A killed program leaves its staging files wherever it saved; every job looks there first.
    void removeLeftoversOfEndedSaves() {
        if (settings_.appPaths.directory.empty()) {
            return;
        }
        for (const auto& [folder, count] :
             removeAbandonedStagingFilesRecordedIn(settings_.appPaths.stagingRecordPath())) {
            ui_.reportAbandonedFilesRemoved(folder, count);
        }
    }

    void runSingleFile() {
        const CertificateTools tools(settings_.makeCaStore);
        JobContext job{
            ui_, form_, log_, JobMode::SingleFile, {values_.input, values_.output}, &settings_.streams};
        FileReport& report = addReport(values_.input, values_.output);
        openSingleFile(job, tools, report);
        ui_.reportDocumentEnd(report);
        job.saveRecordHold.reset();
    }

    void openSingleFile(JobContext& job, const CertificateTools& tools, FileReport& report) {
        std::string content;
        DocumentFile file;
        const std::optional<std::uint64_t> size =
            openDocument(job.pair.input, "Could not read input file", report, file, content);
        if (!size) {
            return;
        }
        ui_.reportProgress({1, 1, *size, job.pair.input});
        const FileEnd end = underHandlers(job, report, [&] {
            std::optional<DecodedArmour> decoded = readDocument(file, content);
            const EnvelopeKind kind = decoded ? decoded->kind : classifyEnvelope(content);
            if (kind == EnvelopeKind::Unrecognised) {
                const std::string text =
                    "This file is tampered [OR] Not of a valid signed/encrypted format [OR] "
                    "Corrupted. Cannot proceed with Verify/Decrypt Operation";
                ui_.showMessage(text, IconKind::Error);
                job.logOutcome(logkind::error, "Invalid Signature/Encryption format of the input file");
                report.fail(text);
                resetFormAfterFailure(form_, {});
                return FileEnd::JobEnded;
            }
            LayerJob layer = layerJob(job, tools, report, std::move(decoded));
            return UnwrapLayers(layer, std::move(content), kind);
        });
        if (end == FileEnd::Completed) {
            resetFormAfterJob(form_);
        }
    }

    void runBatch(const JobPaths& paths) {
        const CertificateTools tools(settings_.makeCaStore);
        JobContext job{ui_, form_, log_, JobMode::Batch, {}, &settings_.streams};
        for (std::size_t i = 0; i < paths.inputs.size(); ++i) {
            addReport(paths.inputs[i], paths.outputs[i]);
        }
        for (std::size_t i = 0; i < report_.files.size(); ++i) {
            FileReport& report = report_.files[i];
            job.pair = {report.input, report.output};
            const FileEnd end = openBatchFile(job, tools, report, i + 1);
            ui_.reportDocumentEnd(report);
            job.saveRecordHold.reset();
            if (end == FileEnd::JobEnded) {
                return;
            }
        }
        ui_.showMessage("Processing completed", IconKind::Success);
        resetFormAfterJob(form_);
    }

    // number: the file's place in the batch, counted from 1.
    FileEnd openBatchFile(JobContext& job, const CertificateTools& tools, FileReport& report,
                          std::size_t number) {
        ui_.showMessage("Now processing file " + job.pair.input +
                            " You may be asked for a password in case of Decryption operation",
                        IconKind::PadlockKey);
        std::string content;
        DocumentFile file;
        const std::optional<std::uint64_t> size =
            openDocument(job.pair.input, job.pair.input + " file could not be read", report, file, content);
        if (!size) {
            return FileEnd::JobEnded;
        }
        ui_.reportProgress({number, report_.files.size(), *size, job.pair.input});
        return underHandlers(job, report, [&] {
            std::optional<DecodedArmour> decoded = readDocument(file, content);
            const EnvelopeKind kind = decoded ? decoded->kind : classifyEnvelope(content);
            if (kind == EnvelopeKind::Unrecognised) {
                return askToSkipUnrecognised(job, report);
            }
            LayerJob layer = layerJob(job, tools, report, std::move(decoded));
            return UnwrapLayers(layer, std::move(content), kind);
        });
    }

    FileEnd askToSkipUnrecognised(JobContext& job, FileReport& report) {
        if (ui_.showMessage(job.pair.input +
                                ". This file is tampered [OR] Not of a valid signed/encrypted format "
                                "[OR] Corrupted. Do you want to continue with the next file?",
                            IconKind::Warning, Buttons::YesNo)) {
            report.status = FileStatus::Skipped;
            return FileEnd::Skipped;
        }
        const std::string text = "Bad signature/encryption format of input file";
        job.logOutcome(logkind::error, text);
        report.fail(text);
        resetFormAfterJob(form_);
        return FileEnd::JobEnded;
    }

    // Opens the document's file, or reads the whole document from its stream into content,
    // and gives its size; when it cannot, shows failure and reports the file failed.
    std::optional<std::uint64_t> openDocument(const std::string& path, const std::string& failure,
                                              FileReport& report, DocumentFile& file, std::string& content) {
        if (settings_.streams.isInput(path) ? settings_.streams.readInput(path, content)
                                            : file.open(path, content)) {
            return file.isOpen() ? file.size() : content.size();
        }
        ui_.showMessage(failure, IconKind::Warning);
        report.fail(failure);
        return std::nullopt;
    }

    // Reads an opened file into content, decoding its outermost armour as it goes when it can: a large
    // signed or certificate-encrypted document is then never held as text.
    static std::optional<DecodedArmour> readDocument(DocumentFile& file, std::string& content) {
        std::optional<DecodedArmour> decoded = file.isOpen() ? file.readDecoding(content) : std::nullopt;
        // A stop asked for while the document was read ends it before its layers are looked at.
        WorkProgress::throwIfStopped();
        return decoded;
    }

    FileReport& addReport(const std::string& input, const std::string& output) {
        FileReport& report = report_.files.emplace_back();
        report.input = input;
        report.output = output;
        return report;
    }

    LayerJob layerJob(JobContext& job, const CertificateTools& tools, FileReport& report,
                      std::optional<DecodedArmour> decoded) {
        return LayerJob{job,    tools, values_.crlChoice, values_.crlPath, keyStore_, markerPath_,
                        report, true,  std::move(decoded)};
    }

    // The error records thrown while a document is classified, unwrapped or saved end the job (or the
    // batch); errorDef::Fatal ends the program as well.
    template <typename Body> FileEnd underHandlers(JobContext& job, FileReport& report, Body&& body) {
        try {
            return body();
        } catch (const errorDef::Fatal& error) {
            report.fail(error.message);
            if (job.mode == JobMode::SingleFile) {
                job.logOutcome(logkind::error, error.message);
                ui_.showMessage(error.message, IconKind::RedAlert);
            } else {
                ui_.showMessage(error.message, IconKind::RedAlert);
                job.logOutcome(logkind::error, error.message);
            }
            ui_.terminateApplication(fatalExitStatus);
            return FileEnd::JobEnded;
        } catch (const WorkStopped&) {
            return reportStopped(job, report);
        } catch (const ErrorRecord& error) {
            return reportError(job, report, error.message);
        } catch (const std::bad_alloc&) {
            // A document too large for the memory left ends its file like any failed operation,
            // instead of taking the program down.
            return reportError(job, report, "Insufficient System Memory");
        }
    }

    // The person stopped the job: nothing of the document was saved, and the form keeps its values
    // for another try.
    FileEnd reportStopped(JobContext& job, FileReport& report) {
        const std::string text = "Processing cancelled";
        job.logOutcome(logkind::error, text);
        report.status = FileStatus::Cancelled;
        report.outcome = text;
        ui_.showMessage(text, IconKind::Information);
        return FileEnd::JobEnded;
    }

    FileEnd reportError(JobContext& job, FileReport& report, const std::string& message) {
        ui_.showMessage(message, IconKind::Error);
        job.logOutcome(logkind::error, message);
        report.fail(message);
        const bool batch = job.mode == JobMode::Batch;
        resetFormAfterFailure(form_, {.enableOutput = batch, .emptyCrlPath = !batch});
        return FileEnd::JobEnded;
    }

    JobForm& form_;
    JobUi& ui_;
    const JobSettings& settings_;
    ActivityLog log_;
    JobKeyStore keyStore_;
    const std::string markerPath_;
    FormValues values_;
    JobReport report_;
};

} // namespace

JobReport OnVerifyDecrypt(JobForm& form, JobUi& ui, const JobSettings& settings) {
    return JobDriver(form, ui, settings).run();
}
