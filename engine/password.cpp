// The password list: adding, trying and checking passwords against a table's enciphered
// block; the prompts that cancel or answer from a script.
#include "engine/password.h"

#include <algorithm>
#include <cstring>

#include "engine/crc16.h"
#include "engine/messages.h"
#include "platform/core/guid.h"

bool TOstraCancelPasswordPrompt::PromptPassword(std::string&) { return false; }

void TOstraCancelPasswordPrompt::ShowMessage(const std::string&) {}

TScriptedPasswordPrompt::TScriptedPasswordPrompt(std::vector<std::optional<std::string>> answers)
    : FAnswers(answers.begin(), answers.end()) {}

bool TScriptedPasswordPrompt::PromptPassword(std::string& password) {
    ++FPromptCount;
    if (FAnswers.empty()) return false;
    std::optional<std::string> answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    if (!answer) return false;
    password = *answer;
    return true;
}

void TScriptedPasswordPrompt::ShowMessage(const std::string& message) { FMessages.push_back(message); }

TOstraPasswords::TOstraPasswords() : FPrompt(std::make_shared<TOstraCancelPasswordPrompt>()) {}

TOstraPasswords::~TOstraPasswords() = default;

void TOstraPasswords::AddPassword(const std::string& password) {
    if (password.empty()) return;
    auto it = std::lower_bound(FKnown.begin(), FKnown.end(), password);
    if (it == FKnown.end() || *it != password) FKnown.insert(it, password);
}

void TOstraPasswords::RemovePassword(const std::string& password) {
    auto it = std::lower_bound(FKnown.begin(), FKnown.end(), password);
    if (it != FKnown.end() && *it == password) FKnown.erase(it);
}

void TOstraPasswords::SetPrompt(std::shared_ptr<TOstraPasswordPrompt> prompt) {
    FPrompt = prompt ? std::move(prompt) : std::make_shared<TOstraCancelPasswordPrompt>();
}

bool TOstraPasswords::TryPassword(const std::string& password, TOstraPasswordBlock& block) {
    TOstraPasswordBlock copy = block;
    FCipher.Initialize(password);
    FCipher.Decipher(copy.data(), OstraKeyTextSize);
    const bool fits =
        Crc16(copy.data(), copy.size()) == 0 && copy[0] == '{' && copy[OstraKeyTextSize - 1] == '}';
    if (fits) block = copy;
    return fits;
}

bool TOstraPasswords::CheckPassword(TOstraPasswordBlock& block, std::string& password) {
    if (!password.empty() && TryPassword(password, block)) {
        AddPassword(password);
        return true;
    }
    // A copy: a fitting password must not be compared against a list that changes.
    const std::vector<std::string> known = FKnown;
    for (const std::string& candidate : known) {
        if (TryPassword(candidate, block)) {
            password = candidate;
            return true;
        }
    }
    for (int attempt = 1; attempt <= FTries; ++attempt) {
        std::string typed;
        if (!FPrompt->PromptPassword(typed)) return false;
        if (TryPassword(typed, block)) {
            AddPassword(typed);
            password = typed;
            return true;
        }
        if (attempt < FTries) FPrompt->ShowMessage(SPasswordTryAgain);
    }
    return false;
}

TOstraPasswordBlock TOstraPasswords::NewPlainBlock() {
    const std::string key = CreateGUIDString();
    TOstraPasswordBlock block{};
    std::memcpy(block.data(), key.data(), std::min<std::size_t>(key.size(), OstraKeyTextSize));
    const uint16_t crc = Crc16(block.data(), OstraKeyTextSize);
    block[38] = static_cast<uint8_t>(crc & 0xFF);
    block[39] = static_cast<uint8_t>(crc >> 8);
    return block;
}

TOstraPasswordBlock TOstraPasswords::EncipherBlock(const TOstraPasswordBlock& plain,
                                                   const std::string& password) {
    TOstraPasswordBlock copy = plain;
    FCipher.Initialize(password);
    FCipher.Encipher(copy.data(), OstraKeyTextSize);
    return copy;
}

TOstraPasswords& OstraPasswords() {
    static TOstraPasswords instance;
    return instance;
}
