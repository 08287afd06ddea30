#pragma once
// Les erreurs que le cœur lève : chacune porte un message français prêt à montrer.
#include <stdexcept>
#include <string>

namespace lumi {

// Une valeur qui devait être un nombre ne l'est pas ; le message nomme fichier, section, clé.
class ErreurConversion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Une écriture de fichier a échoué, ou un fichier ne se lit pas comme il le doit ; le message nomme
// le fichier.
class ErreurFichier : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumi
