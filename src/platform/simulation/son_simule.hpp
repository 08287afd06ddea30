#pragma once
// Le son simulé : note les fichiers joués ; un fichier absent ne joue rien, comme le vrai.
#include <filesystem>
#include <vector>

#include "plans/son.hpp"

namespace lumi {

class SonSimule final : public Son {
public:
    void jouer(const std::filesystem::path& wav) override {
        std::error_code erreur;
        if (std::filesystem::is_regular_file(wav, erreur)) joues_.push_back(wav);
        ++demandes_;
    }
    const std::vector<std::filesystem::path>& joues() const { return joues_; }
    int demandes() const { return demandes_; }

private:
    std::vector<std::filesystem::path> joues_;
    int demandes_ = 0;
};

}  // namespace lumi
