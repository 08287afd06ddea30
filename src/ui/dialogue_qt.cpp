#include "ui/dialogue_qt.hpp"

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include "core/fenetre_principale.hpp"

namespace lumi {

QString texte_pour_boite(std::string_view texte) {
    QString t = QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

namespace {

// Titre, texte et icône, communs aux boîtes qui attendent et aux avis.
void preparer(QMessageBox& boite, GenreBoite genre, std::string_view texte) {
    boite.setWindowTitle(
        QString::fromUtf8(titre_produit.data(), static_cast<qsizetype>(titre_produit.size())));
    boite.setText(texte_pour_boite(texte));
    switch (genre) {
        case GenreBoite::avertissement:
            boite.setIcon(QMessageBox::Warning);
            break;
        case GenreBoite::information:
            boite.setIcon(QMessageBox::Information);
            break;
        case GenreBoite::question:
            boite.setIcon(QMessageBox::Question);
            break;
    }
}

}  // namespace

void DialogueQt::avis(GenreBoite genre, std::string_view texte) {
    auto* boite = new QMessageBox(parent_);
    boite->setAttribute(Qt::WA_DeleteOnClose);
    boite->setWindowModality(Qt::NonModal);
    preparer(*boite, genre, texte);
    boite->addButton(QString::fromUtf8(texte_bouton(Reponse::ok).data()), QMessageBox::AcceptRole);
    boite->show();
}

Reponse DialogueQt::boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                          std::optional<Reponse> par_defaut) {
    if (abandonnee_) throw BoiteAbandonnee{};
    QMessageBox boite(parent_);
    preparer(boite, genre, texte);
    const std::vector<Reponse> liste = boutons.empty() ? std::vector<Reponse>{Reponse::ok} : boutons;
    std::vector<std::pair<QAbstractButton*, Reponse>> correspondance;
    // Avec « &Tout », un seul rôle pour les trois boutons : la boîte les range alors dans l'ordre
    // donné (« &Oui », « &Non », « &Tout ») au lieu de regrouper les deux boutons qui disent oui.
    const bool avec_tout = std::find(liste.begin(), liste.end(), Reponse::tout) != liste.end();
    for (const Reponse r : liste) {
        const auto role = avec_tout           ? QMessageBox::ActionRole
                          : r == Reponse::non ? QMessageBox::NoRole
                          : r == Reponse::ok  ? QMessageBox::AcceptRole
                                              : QMessageBox::YesRole;
        const std::string_view legende = texte_bouton(r);
        auto* bouton =
            boite.addButton(QString::fromUtf8(legende.data(), static_cast<qsizetype>(legende.size())), role);
        correspondance.emplace_back(bouton, r);
    }
    auto defaut = correspondance.front();
    for (const auto& c : correspondance) {
        if (par_defaut && c.second == *par_defaut) defaut = c;
    }
    boite.setDefaultButton(static_cast<QPushButton*>(defaut.first));
    // Fermer la boîte sans choisir : "&Non" s'il est offert (une question annulée ne dit pas oui).
    auto echap = correspondance.front();
    for (const auto& c : correspondance) {
        if (c.second == Reponse::non) echap = c;
    }
    boite.setEscapeButton(echap.first);
    boite.exec();
    // Fermée par la fin de la session : personne n'a répondu.
    if (abandonnee_) throw BoiteAbandonnee{};
    for (const auto& [bouton, r] : correspondance) {
        if (boite.clickedButton() == bouton) return r;
    }
    return echap.second;
}

void DialogueQt::abandonner() {
    abandonnee_ = true;
    for (QWidget* fenetre : QApplication::topLevelWidgets()) {
        auto* modale = qobject_cast<QDialog*>(fenetre);
        if (modale != nullptr && modale->isVisible() && modale->isModal()) modale->reject();
    }
}

}  // namespace lumi
