#pragma once
// Le français pour les contrôles de Qt lui-même (calendrier, boîtes d'impression et de fichiers,
// menu contextuel des champs de texte, boutons standard), quelle que soit la langue du système.
class QCoreApplication;

namespace lumi {

// Règle la locale par défaut de Qt sur le français de France et charge les traductions de Qt
// (qtbase_fr) du dossier des traductions de Qt. Sans ces fichiers, les textes de Qt restent en
// anglais : rend faux, le programme continue. Les nombres de nos propres textes n'en dépendent pas
// (le séparateur décimal vient de la locale du système).
bool installer_francais(QCoreApplication& application);

}  // namespace lumi
