// Password protection of tables.
//
// A protected table's image carries a 40-byte password block: the text of a
// random GUID (38 characters) enciphered with the table's password, followed
// by the CRC-16 of the plain text, low byte first. The body of the image is
// enciphered with the GUID text itself, so the password is never stored.
//
// TOstraPasswords is the session's side of it: the passwords that opened
// tables during the run, the number of tries, the one cipher instance and the
// prompt that asks the user. The prompt is a replaceable service: by default it
// answers "cancel"; the windowing layer installs the real dialog and tests a
// scripted one.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/sapphire.h"

constexpr int OstraPasswordBlockSize = 40;
constexpr int OstraKeyTextSize = 38;
using TOstraPasswordBlock = std::array<uint8_t, OstraPasswordBlockSize>;

// Asks the user for a password and shows the "try again" message.
class TOstraPasswordPrompt {
public:
    virtual ~TOstraPasswordPrompt() = default;
    // True with the typed text; False when the user cancels.
    virtual bool PromptPassword(std::string& password) = 0;
    // Shows a message after a wrong password ("Password is invalid. Try again").
    virtual void ShowMessage(const std::string& message) = 0;
};

// The default: every prompt is cancelled; nothing is shown.
class TOstraCancelPasswordPrompt : public TOstraPasswordPrompt {
public:
    bool PromptPassword(std::string& password) override;
    void ShowMessage(const std::string& message) override;
};

// Test double: answers from a script (nullopt = cancel; an exhausted script
// cancels) and records what was asked and shown.
class TScriptedPasswordPrompt : public TOstraPasswordPrompt {
public:
    TScriptedPasswordPrompt() = default;
    explicit TScriptedPasswordPrompt(std::vector<std::optional<std::string>> answers);

    void AddAnswer(std::optional<std::string> answer) { FAnswers.push_back(std::move(answer)); }
    int PromptCount() const { return FPromptCount; }
    const std::vector<std::string>& Messages() const { return FMessages; }

    bool PromptPassword(std::string& password) override;
    void ShowMessage(const std::string& message) override;

private:
    std::deque<std::optional<std::string>> FAnswers;
    int FPromptCount = 0;
    std::vector<std::string> FMessages;
};

class TOstraPasswords {
public:
    TOstraPasswords();
    ~TOstraPasswords();
    TOstraPasswords(const TOstraPasswords&) = delete;
    TOstraPasswords& operator=(const TOstraPasswords&) = delete;

    // Known passwords: sorted, each once; an empty text is never added.
    void AddPassword(const std::string& password);
    void RemovePassword(const std::string& password);
    const std::vector<std::string>& KnownPasswords() const { return FKnown; }
    void ClearPasswords() { FKnown.clear(); }

    int PasswordTries() const { return FTries; }
    void SetPasswordTries(int value) { FTries = value; }

    TSapphire& Cipher() { return FCipher; }

    // The prompt in use (never null). SetPrompt(nullptr) restores the default.
    TOstraPasswordPrompt& Prompt() const { return *FPrompt; }
    void SetPrompt(std::shared_ptr<TOstraPasswordPrompt> prompt);

    // True when `password` deciphers the block to a key text with a fitting
    // check value; the block is then replaced by its plain form.
    bool TryPassword(const std::string& password, TOstraPasswordBlock& block);
    // Finds the password of a block: the table's own, then the known ones,
    // then up to PasswordTries answers of the prompt. On success `password`
    // holds the fitting one and the block is plain.
    bool CheckPassword(TOstraPasswordBlock& block, std::string& password);
    bool PromptPassword(std::string& password) { return FPrompt->PromptPassword(password); }

    // A new plain block: a fresh GUID text and its check value.
    static TOstraPasswordBlock NewPlainBlock();
    // The block as written to a file: the key text enciphered with `password`.
    TOstraPasswordBlock EncipherBlock(const TOstraPasswordBlock& plain, const std::string& password);

private:
    std::vector<std::string> FKnown;
    int FTries = 3;
    TSapphire FCipher;
    std::shared_ptr<TOstraPasswordPrompt> FPrompt;
};

// The session's one instance.
TOstraPasswords& OstraPasswords();
