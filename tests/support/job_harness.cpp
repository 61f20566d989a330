#include "support/job_harness.h"

#include "support/calendar_time.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::ostream& operator<<(std::ostream& out, const LogRecord& record) {
    return out << "{" << record.kind << " | " << record.message << " | " << record.files << "}";
}

std::string pairOf(const std::string& input, const std::string& output) {
    return input + " -> " + output;
}

JobHarness::JobHarness(const std::filesystem::path& base) : dir(base) {
    const std::filesystem::path appDirectory = dir.file("app");
    std::filesystem::create_directory(appDirectory);
    settings.appPaths = AppPaths{(appDirectory / "").string()};
    settings.keyStoreDirectory = dir.file("nssdb");
    settings.logClock = [] { return calendarTime(2026, 2, 3, 4, 5, 6); };
}

bool JobHarness::exists(const std::string& name) const {
    std::error_code unreadable;
    return std::filesystem::exists(path(name), unreadable);
}

JobReport JobHarness::run(const FormValues& values) {
    form = FakeJobForm(values);
    return OnVerifyDecrypt(form, ui, settings);
}

JobReport JobHarness::runSingle(const std::string& input, const std::string& output) {
    FormValues values;
    values.input = input;
    values.output = output;
    return run(values);
}

JobReport JobHarness::runBatch(const std::vector<std::string>& inputs,
                               const std::vector<std::string>& outputs) {
    FormValues values;
    values.multipleSelection = true;
    values.inputs = inputs;
    values.outputs = outputs;
    // What the desktop form's boxes would show for this selection.
    for (const std::string& input : inputs) {
        values.input += input + ";";
    }
    for (const std::string& output : outputs) {
        values.output += output + ";";
    }
    return run(values);
}

const testdoc::Identity& testSigner() {
    static const testdoc::Identity signer = testdoc::makeIdentity({});
    return signer;
}

const testdoc::Identity& testRecipient() {
    static const testdoc::Identity recipient = [] {
        testdoc::CertificateOptions options;
        options.subject =
            "/C=US/O=Acme Ltd/OU=Mail Room/CN=Test Recipient/emailAddress=recipient@example.com";
        options.serial = 2;
        options.keyIndex = 1;
        return testdoc::makeIdentity(options);
    }();
    return recipient;
}

std::string layerPassPhrase(int n) {
    return "pass phrase " + std::to_string(n);
}

std::string wrapLayers(std::string_view layers, std::string content) {
    int passPhrases = 0;
    for (char kind : layers) {
        passPhrases += kind == 'P' ? 1 : 0;
    }
    for (auto kind = layers.rbegin(); kind != layers.rend(); ++kind) {
        switch (*kind) {
        case 'S':
            content = testdoc::signedLayer(content, testSigner());
            break;
        case 'P':
            content = testdoc::symmetricLayer(content, layerPassPhrase(passPhrases--));
            break;
        case 'K':
            content = testdoc::asymmetricLayer(content, testRecipient().certificate.get());
            break;
        default:
            throw std::invalid_argument("unknown layer kind");
        }
    }
    return content;
}

std::vector<std::optional<std::string>> passPhrasesFor(std::string_view layers) {
    std::vector<std::optional<std::string>> answers;
    for (char kind : layers) {
        if (kind == 'P') {
            answers.emplace_back(layerPassPhrase(static_cast<int>(answers.size()) + 1));
        }
    }
    return answers;
}

std::vector<LogRecord> JobHarness::log() const {
    std::vector<LogRecord> records;
    std::ifstream in(settings.appPaths.logPath(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        // Records end as text lines do on the system: CR LF on Windows.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(5);
        records.push_back({fields[2], fields[3], fields[4]});
    }
    return records;
}
