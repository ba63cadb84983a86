// From a clean program folder to a validated receipt with the built programs: kova-cli iniciar, importar and
// transmitir, and quiboro-instalar. Also shows that the library is taken from Quiboro's configured folder only.
#include <gtest/gtest.h>

#include <string>

#include "delivery/receipt_validation.h"
#include "transmission_fixtures.h"

namespace kova::testing {
namespace {

const std::string kNotInstalledText = "esteja instalado em seu computador";

class TransmissionEndToEnd : public ::testing::Test {
protected:
    fs::path program() const { return scratch_ / "programa"; }
    fs::path windows() const { return scratch_ / "windows"; }
    fs::path cli() const { return binFolder() / "kova-cli"; }

    RunResult transmitir(const std::vector<std::string>& args,
                         std::vector<std::pair<std::string, std::string>> environment = {},
                         const fs::path& workingFolder = {}) {
        environment.emplace_back("KOVA_WINDIR", windows().string());
        std::vector<std::string> all{"transmitir"};
        all.insert(all.end(), args.begin(), args.end());
        return runProgram(cli(), all, environment, workingFolder);
    }

    // iniciar + importar of a clean declaration: the one delivery file generated under GERADA.
    fs::path importClean() {
        const RunResult started = runProgram(cli(), {"iniciar", "--pasta", program().string()});
        EXPECT_EQ(started.exitCode, 0) << started.err;
        fixtures::DeclarationBuilder declaration;
        declaration.type3(2).type4F(1).type4J(1).type5(13);
        const fs::path input = scratch_ / "declaracao.txt";
        writeBytes(input, declaration.str());
        const RunResult imported = runProgram(cli(), {"importar", input.string(), "--pasta", program().string()});
        EXPECT_EQ(imported.exitCode, 0) << imported.out << imported.err;
        std::vector<fs::path> generated;
        if (fs::is_directory(program() / "GERADA"))
            for (const auto& entry : fs::recursive_directory_iterator(program() / "GERADA"))
                if (entry.path().extension() == ".DEC") generated.push_back(entry.path());
        EXPECT_EQ(generated.size(), 1u) << imported.out << imported.err;
        return generated.empty() ? fs::path() : generated.front();
    }

    void install(const fs::path& quiboroFolder) {
        const RunResult installed = runProgram(binFolder() / "quiboro-instalar", {"--path", quiboroFolder.string()},
                                               {{"KOVA_WINDIR", windows().string()}});
        ASSERT_EQ(installed.exitCode, 0) << installed.err;
    }

    static bool receiptValidates(const fs::path& deliveryFile) {
        RecordingPrompts prompts;
        ReceiptData data;
        return validateReceipt(deliveryFile, prompts, data);
    }

    ScratchFolder scratch_;
};

TEST_F(TransmissionEndToEnd, FromACleanProgramFolderToAValidReceipt) {
    const fs::path deliveryFile = importClean();
    ASSERT_FALSE(deliveryFile.empty());

    const RunResult installed = runProgram(binFolder() / "quiboro-instalar", {}, {{"KOVA_WINDIR", windows().string()}});
    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    const std::string settings = readBytes(windows() / "qui-bor.ini");
    EXPECT_NE(settings.find("[Qui-Bor]"), std::string::npos);
    EXPECT_NE(settings.find("Versao=200702"), std::string::npos);
    EXPECT_NE(settings.find("Path=" + binFolder().string() + "\n"), std::string::npos) << settings;

    // The bare name of the delivery file is found under GERADA of the program folder.
    const RunResult sent =
        transmitir({deliveryFile.filename().string(), "--pasta", program().string()}, {}, scratch_.path());
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, receiptPathOf(deliveryFile).string() + "\n");
    EXPECT_NE(sent.err.find("Declaração recebida pela QOT"), std::string::npos) << sent.err;
    EXPECT_TRUE(receiptValidates(deliveryFile));
}

TEST_F(TransmissionEndToEnd, RefusalsAndFailuresHaveTheirExitStatusAndTouchNoFile) {
    const fs::path deliveryFile = importClean();
    ASSERT_FALSE(deliveryFile.empty());
    const std::vector<std::string> args{deliveryFile.string(), "--pasta", program().string()};
    const Snapshot before = snapshot(scratch_.path());

    const RunResult noQuiboro = transmitir(args);
    EXPECT_EQ(noQuiboro.exitCode, 1);
    EXPECT_NE(noQuiboro.err.find("O programa Quiboro não foi encontrado"), std::string::npos) << noQuiboro.err;
    EXPECT_EQ(snapshot(scratch_.path()), before);

    install(binFolder() / "decoy");
    const Snapshot configured = snapshot(scratch_.path());
    const RunResult failed = transmitir(args);
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_NE(failed.err.find("Biblioteca impostora."), std::string::npos) << failed.err;
    EXPECT_EQ(snapshot(scratch_.path()), configured);

    const RunResult missingFile = transmitir({(scratch_ / "nada.DEC").string()});
    EXPECT_EQ(missingFile.exitCode, 2);
    const RunResult noArguments = transmitir({});
    EXPECT_EQ(noArguments.exitCode, 2);
}

// The decoy answers 7777 with "Biblioteca impostora.": wherever a library search would look (the current
// folder, LD_LIBRARY_PATH) it is there, yet only the configured folder counts.
TEST_F(TransmissionEndToEnd, TheLibraryIsTakenFromTheConfiguredFolderOnly) {
    const fs::path deliveryFile = importClean();
    ASSERT_FALSE(deliveryFile.empty());
    const fs::path decoy = binFolder() / "decoy";
    const std::vector<std::pair<std::string, std::string>> searchPath{{"LD_LIBRARY_PATH", decoy.string()}};
    const std::vector<std::string> args{deliveryFile.string(), "--pasta", program().string()};

    // Quiboro installed where the real library is: the decoy beside the caller is never used.
    install(binFolder());
    const RunResult sent = transmitir(args, searchPath, decoy);
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.err.find("impostora"), std::string::npos) << sent.err;
    EXPECT_TRUE(receiptValidates(deliveryFile));

    // Quiboro's folder without the library: no search falls back on the decoy.
    fs::create_directories(scratch_ / "quiboro-vazio");
    writeQuiboroSettings(windows(), "200702", (scratch_ / "quiboro-vazio").string());
    const RunResult empty = transmitir(args, searchPath, decoy);
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find(kNotInstalledText), std::string::npos) << empty.err;

    // A relative "Path" would name the decoy's folder from where the caller stands: it is not taken either.
    writeQuiboroSettings(windows(), "200702", ".");
    const RunResult relative = transmitir(args, searchPath, decoy);
    EXPECT_EQ(relative.exitCode, 1);
    EXPECT_NE(relative.err.find(kNotInstalledText), std::string::npos) << relative.err;
}

TEST_F(TransmissionEndToEnd, TheInstallerRefusesAFolderWithoutTheLibrary) {
    fs::create_directories(scratch_ / "vazia");
    const RunResult refused = runProgram(binFolder() / "quiboro-instalar", {"--path", (scratch_ / "vazia").string()},
                                         {{"KOVA_WINDIR", windows().string()}});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_FALSE(fs::exists(windows() / "qui-bor.ini"));
}

}  // namespace
}  // namespace kova::testing
