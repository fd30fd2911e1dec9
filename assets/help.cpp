// SPDX-License-Identifier: GPL-3.0-or-later
// The three help pictures: the help text of each window of the program, set
// as rich text at build time, with the toolbar's own pictures beside the
// buttons they explain.

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

#include "assets.h"

namespace vis::assets {
namespace {

constexpr int kMargin = 18;
constexpr int kGutter = 26;
constexpr int kTitleHeight = 46;
const QColor kPage(255, 255, 255);
const QColor kTitleInk(255, 255, 255);

const char* kStyle =
    "body { color: #14213a; }"
    "h2 { color: #183468; font-size: 15px; margin-top: 10px; margin-bottom: 3px; }"
    "p { margin-top: 0px; margin-bottom: 5px; }"
    "td { padding: 1px 4px 2px 0px; vertical-align: middle; }"
    "td.k { white-space: nowrap; font-weight: bold; vertical-align: top; }"
    "td.v { vertical-align: top; }"
    ".t { font-weight: bold; color: #183468; }";

QFont bodyFont() {
    QFont f("Liberation Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(13);
    return f;
}

// The collection window as it looks with two captures, the first saved.
QImage collectionMock() {
    QImage img(200, 206, QImage::Format_RGB32);
    img.fill(kPage);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0.5, 0.5, 199, 205);
    fillOutlined(p, rectPath(frame), QColor(239, 239, 239), 1);
    const QRectF title(0.5, 0.5, 199, 22);
    fillOutlined(p, rectPath(title), vertical(title, QColor(40, 80, 150), colour::navy), 1);
    QFont f = bodyFont();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(title.adjusted(24, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "Collection");
    p.drawImage(QRectF(4, 3, 16, 16), collectionIcon(32));
    QFont small("Liberation Sans Narrow");
    small.setPixelSize(11);
    auto thumb = [&](qreal top, qreal h, const QString& label, bool saved, bool current) {
        const QRectF t(8, top, 97, h);
        landscape(p, t);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(current ? QColor(0, 0, 0) : QColor(150, 150, 150), current ? 1.5 : 1));
        p.drawRect(t);
        if (saved) p.drawImage(QPointF(8, top), savedMarker());
        p.setFont(small);
        p.setPen(colour::ink);
        p.drawText(QRectF(112, top + 8, 40, 30), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label);
    };
    thumb(34, 64, "01/ 4500 x 3000", true, false);
    thumb(112, 55, QString::fromUtf8("02 Plein écran"), false, true);
    // The slider and the count under it.
    const QRectF groove(171, 30, 6, 80);
    fillOutlined(p, roundRect(groove, 3), colour::metalLight, 1);
    fillOutlined(p, roundRect(QRectF(164, 36, 20, 10), 2),
                 vertical(QRectF(164, 36, 20, 10), colour::hiTop, colour::hiBottom), 1);
    p.setFont(small);
    p.setPen(colour::ink);
    p.drawText(QRectF(160, 114, 34, 16), Qt::AlignLeft, " 2");
    return img;
}

// One column of rich text, `width` pixels wide; the toolbar pictures are
// there as "button:N".
std::unique_ptr<QTextDocument> column(const QString& html, int width) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(bodyFont());
    doc->setDefaultStyleSheet(kStyle);
    doc->setDocumentMargin(0);
    const auto icons = toolbarIcons();
    for (std::size_t i = 0; i < icons.size(); ++i)
        doc->addResource(QTextDocument::ImageResource, QUrl(QString("button:%1").arg(i)),
                         toolbarPicture(icons[i], false));
    doc->addResource(QTextDocument::ImageResource, QUrl("mock:collection"), collectionMock());
    // French spacing: no line starts with a colon, a semicolon or a closing quote.
    QString text = html;
    text.replace(" : ", "&nbsp;: ")
        .replace(" ;", "&nbsp;;")
        .replace(QString::fromUtf8("« "), QString::fromUtf8("«&nbsp;"));
    text.replace(QString::fromUtf8(" »"), QString::fromUtf8("&nbsp;»"))
        .replace(" ...", "&nbsp;...")
        .replace(", _", ",&nbsp;_");
    doc->setHtml("<body>" + text + "</body>");
    doc->setTextWidth(width);
    return doc;
}

// A page: the title in the toolbar's blue across the top, then the columns
// side by side, `width` pixels wide in all.
QImage page(const QString& title, const std::vector<QString>& columns, int width) {
    const int n = static_cast<int>(columns.size());
    const int columnWidth = (width - 2 * kMargin - (n - 1) * kGutter) / n;
    std::vector<std::unique_ptr<QTextDocument>> docs;
    int tallest = 0;
    for (const QString& c : columns) {
        docs.push_back(column(c, columnWidth));
        tallest = std::max(tallest, static_cast<int>(std::ceil(docs.back()->size().height())));
    }
    QImage img(width, kTitleHeight + kMargin + tallest + kMargin, QImage::Format_RGB32);
    img.fill(kPage);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF band(0, 0, width, kTitleHeight);
    p.fillRect(band, vertical(band, colour::barTop, colour::barBottom));
    p.drawImage(QPointF(kMargin - 4, 7), programIcon(32));
    QFont tf = bodyFont();
    tf.setPixelSize(20);
    tf.setBold(true);
    p.setFont(tf);
    p.setPen(kTitleInk);
    p.drawText(QRectF(kMargin + 38, 0, width - kMargin - 38, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, title);
    QFont hint = bodyFont();
    hint.setItalic(true);
    p.setFont(hint);
    p.drawText(QRectF(0, 0, width - kMargin, kTitleHeight), Qt::AlignVCenter | Qt::AlignRight,
               QString::fromUtf8("Cliquez sur l'image pour fermer l'aide"));
    // Column rules.
    p.setPen(QPen(colour::paperLine, 1));
    for (int i = 1; i < n; ++i) {
        const qreal x = kMargin + i * columnWidth + (i - 0.5) * kGutter;
        p.drawLine(QPointF(x, kTitleHeight + kMargin), QPointF(x, kTitleHeight + kMargin + tallest));
    }
    for (int i = 0; i < n; ++i) {
        p.save();
        p.translate(kMargin + i * (columnWidth + kGutter), kTitleHeight + kMargin);
        docs[static_cast<std::size_t>(i)]->drawContents(&p);
        p.restore();
    }
    return img;
}

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// A row of the toolbar table: the button's picture, its tooltip, what it does.
QString buttonRow(int k, const char* tooltip, const char* what) {
    return u("<tr><td><img src=\"button:%1\"></td><td><span class=\"t\">%2</span> : %3</td></tr>")
        .arg(k)
        .arg(u(tooltip), u(what));
}

}  // namespace

QImage helpMainWindow() {
    QString buttons =
        u("<h2>La barre d'outils</h2>"
          "<p>La <b>capture courante</b> est la dernière faite, ou celle dont vous avez cliqué la "
          "vignette : c'est elle que copient, enregistrent, impriment et effacent les boutons.</p>"
          "<table cellspacing=\"0\">");
    buttons += buttonRow(0, "Capturer l'écran pour une sélection",
                         "l'écran se fige (flash et déclic). Tracez un rectangle avec le bouton gauche et relâchez : "
                         "la région est gardée. Le bouton droit déplace le rectangle.");
    buttons += buttonRow(1, "Capturer tout l'écran", "l'écran entier, montré réduit.");
    buttons += buttonRow(2, "Capturer la fenêtre active", "la fenêtre qui a le focus, avec son cadre.");
    buttons += buttonRow(3, "Copier dans le presse-papier", "la capture courante, comme image.");
    buttons += buttonRow(4, "Enregistrer",
                         "la capture courante, par une boîte de dialogue : JPEG, ou BMP si le nom finit par "
                         "« bmp ».");
    buttons += buttonRow(5, "Enregistrer tout",
                         "chaque capture pas encore enregistrée, dans le dossier des options, sous un nom "
                         "automatique.");
    buttons += buttonRow(6, "Imprimer la capture", "une page : une ligne avec la date et l'heure, puis la capture.");
    buttons += buttonRow(7, "Effacer la capture", "la capture courante.");
    buttons += buttonRow(8, "Effacer toutes les captures", "toute la collection, après confirmation.");
    buttons +=
        buttonRow(9, "Autre sélection; retour pleine page", "revient à l'écran figé pour y choisir une autre région.");
    buttons += buttonRow(10, "Même sélection /nouvelle capture",
                         "capture à nouveau la même région de l'écran (ou tout l'écran, ou la fenêtre active, si "
                         "c'était la dernière capture).");
    buttons += buttonRow(11, "Même sélection /captures périodiques",
                         "marche / arrêt : la même région à chaque intervalle des options ; à 10 captures, tout est "
                         "enregistré et la collection vidée.");
    buttons += buttonRow(12, "Quitter le programme", "propose d'abord d'enregistrer les captures.");
    buttons += buttonRow(13, "Changer les options", "la fenêtre Options.");
    buttons += buttonRow(14, "Barre/Fenêtre", "replie la fenêtre sur sa barre d'outils, ou la déplie.");
    buttons += buttonRow(15, "Cacher/montrer les vignettes", "réduit ou rétablit la fenêtre Collection.");
    buttons += buttonRow(16, "Infos auteur", "la fenêtre « À propos de VISTRELLE ».");
    buttons += "</table>";

    const QString rest =
        u("<h2>Les menus</h2>"
          "<p><b>Fichier</b> : Enregistrer (Ctrl+E), Enregistrer tout, imprimer, Quitter.</p>"
          "<p><b>Edition</b> : Capturer tout l'écran (fige l'écran pour une sélection, sans flash), Retour sélection "
          "sur dernière capture (comme « Autre sélection »), Copier, Rafraichir la capture (comme « Même sélection "
          "/nouvelle capture »), Supprimer cette capture, Supprimer tout.</p>"
          "<p><b>Outils</b> : Options ; Capture périodique, cochée tant qu'elle tourne. Elle demande une capture de "
          "région.</p>"
          "<p><b>?</b> : Aide (ces trois fenêtres d'aide), A propos, Ecrivez-moi (un message à l'auteur, dans votre "
          "messagerie).</p>"
          "<p>Tant que la collection est vide, les entrées qui agissent sur une capture sont grisées.</p>"
          "<h2>Les touches</h2>"
          "<table cellspacing=\"0\">"
          "<tr><td class=\"k\">Échap</td><td>pendant une sélection : l'abandonne ; la fenêtre se replie sur sa "
          "barre.</td></tr>"
          "<tr><td class=\"k\">Ctrl+E</td><td>Enregistrer.</td></tr>"
          "</table>"
          "<p>Les <b>touches rapides</b> marchent depuis n'importe quel programme. La touche F se choisit dans les "
          "options (F11 d'origine) :</p>"
          "<table cellspacing=\"0\">"
          "<tr><td class=\"k\">SHIFT+F11</td><td>fige l'écran pour une sélection (1<sup>er</sup> bouton)</td></tr>"
          "<tr><td class=\"k\">SHIFT+CTRL+F11</td><td>même région, nouvelle capture</td></tr>"
          "<tr><td class=\"k\">SHIFT+1+F11</td><td>tout l'écran</td></tr>"
          "<tr><td class=\"k\">SHIFT+2+F11</td><td>la fenêtre active</td></tr>"
          "</table>"
          "<h2>Les noms automatiques</h2>"
          "<p>« Enregistrer tout » nomme chaque fichier <b>Préfixe-HHMMSSn.jpg</b> : le préfixe des options (Capt "
          "d'origine), l'heure sans zéro en tête, puis le numéro de la capture ; <b>.bmp</b> pour une série en BMP. "
          "Ainsi la capture 3 enregistrée à 14 h 35 min 07 s : Capt-1435073.jpg. Un nom déjà pris reçoit _2, _3 ...</p>"
          "<h2>La zone de notification</h2>"
          "<p>La case de fermeture de la fenêtre ne quitte pas : elle cache les fenêtres, et Vistrelle attend dans la "
          "zone de notification, touches rapides comprises. <b>Double-clic</b> sur son icône : les fenêtres "
          "reviennent. <b>Clic droit</b> : Capturer, Mettre en veille (ou Réactiver), Quitter. Sans zone de "
          "notification, les fenêtres sont réduites au lieu d'être cachées.</p>");
    return page(u("Vistrelle : la fenêtre principale"), {buttons, rest}, 1200);
}

QImage helpCollectionWindow() {
    const QString left =
        u("<h2>La collection</h2>"
          "<p>La fenêtre <b>Collection</b> garde les captures de la séance, jusqu'à 29, numérotées dans l'ordre, en "
          "une colonne de vignettes. Elle s'ouvre en haut à gauche de l'écran à la première capture.</p>"
          "<table cellspacing=\"0\">"
          "<tr><td class=\"k\">Clic</td><td class=\"v\">sur une vignette : la capture revient dans la fenêtre "
          "principale et devient la capture courante, celle que copient, enregistrent, impriment et effacent les "
          "boutons et les menus. Un cadre la marque.</td></tr>"
          "<tr><td class=\"k\">Clic droit</td><td class=\"v\">sur une vignette : la même chose, puis un menu : "
          "Enregistrer, Enregistrer tout, Supprimer cette capture, Supprimer tout.</td></tr>"
          "</table>"
          "<p>Pendant une sélection sur l'écran figé, un clic sur une vignette reste sans effet.</p>"
          "<h2>Ce que montre chaque vignette</h2>"
          "<p><b>L'étiquette</b> : le numéro de la capture, puis sa largeur x sa hauteur en twips (15 twips font un "
          "pixel d'un écran ordinaire), ou « Plein écran ».</p>"
          "<p><b>La disquette</b> : la capture est enregistrée. « Enregistrer tout » ne reprend que les captures "
          "sans disquette.</p>"
          "<p><b>Le curseur</b> à droite choisit la capture placée en haut de la colonne ; dessous, le nombre de "
          "captures. Il ne sert qu'à partir de deux captures.</p>"
          "<h2>En quittant</h2>"
          "<p>Les captures ne vivent qu'en mémoire : en quittant, Vistrelle propose de les enregistrer toutes "
          "(Oui, Non, Annuler).</p>");
    const QString right = u(
        "<table cellspacing=\"0\"><tr><td class=\"v\"><img src=\"mock:collection\"></td>"
        "<td class=\"v\"><h2>Fermer, cacher, montrer</h2>"
        "<p>La case de fermeture ne fait que <b>réduire</b> la fenêtre : les captures restent.</p>"
        "<p>Elle se cache quand la collection est vide, et quand Vistrelle est mis en veille.</p>"
        "<p>Dans la fenêtre principale :</p>"
        "<table cellspacing=\"0\">"
        "<tr><td><img src=\"button:15\"></td><td>« Cacher/montrer les vignettes » la réduit ou la rétablit.</td></tr>"
        "</table></td></tr></table>"
        "<h2>Collection pleine</h2>"
        "<p>À 29 captures, une nouvelle est refusée : « La fenêtre des vignettes est pleine, sauver et effacer !!! ». "
        "Enregistrez, puis effacez :</p>"
        "<table cellspacing=\"0\">"
        "<tr><td><img src=\"button:5\"></td><td>« Enregistrer tout »</td></tr>"
        "<tr><td><img src=\"button:8\"></td><td>« Effacer toutes les captures »</td></tr>"
        "</table>");
    return page(u("Vistrelle : la fenêtre Collection (les vignettes)"), {left, right}, 900);
}

QImage helpOptionsWindow() {
    const QString left = u(
        "<h2>Les fichiers</h2>"
        "<p><b>Répertoire de sauvegarde par défaut</b> : le dossier où « Enregistrer tout » écrit ses fichiers, et où "
        "la boîte « Enregistrer » s'ouvre d'abord. <b>Parcourir</b> le choisit : seul le dossier compte, le nom de "
        "fichier proposé n'est pas créé. 100 caractères au plus, sans guillemets.</p>"
        "<p><b>Préfixe par défaut des noms de fichiers sauvés</b> : 4 caractères (Capt d'origine) ; au-delà, seuls "
        "les 4 premiers comptent. Il commence les noms automatiques Préfixe-HHMMSSn.jpg. Ni guillemets, ni / ou \\, "
        "ni deux points qui se suivent.</p>"
        "<p><b>Sauvegardes en série au format « Bmp »</b> : « Enregistrer tout » écrit des fichiers BMP au lieu de "
        "JPEG.</p>"
        "<p><b>Qualité image / Compression Jpg</b> : vers la droite, une image plus fidèle et des fichiers plus gros ; "
        "vers la gauche, plus de compression.</p>"
        "<h2>Valider</h2>"
        "<p><b>OK</b> vérifie les valeurs, les applique et les écrit dans le fichier param.txt ; une valeur refusée "
        "est signalée et la fenêtre reste ouverte. <b>Annuler</b>, ou la case de fermeture, laisse tout comme "
        "avant.</p>"
        "<p>Tant que la fenêtre est ouverte, la capture périodique attend.</p>");
    const QString right = u(
        "<h2>Les captures</h2>"
        "<p><b>Touche rapide de nouvelle capture : SHIFT + F</b> suivi du numéro de la touche, de 1 à 12 (11 "
        "d'origine). Les trois lignes dessous rappellent les variantes : SHIFT+CTRL+F même région, SHIFT+1+F tout "
        "l'écran, SHIFT+2+F une fenêtre.</p>"
        "<p><b>Taille des sélections par « pas » de 100</b> : la largeur et la hauteur du rectangle vont de 100 en 100 "
        "twips.</p>"
        "<p><b>Inclure les fenêtres Vistrelle dans les captures</b> : sans cette case, les fenêtres de Vistrelle se "
        "cachent le temps de la prise.</p>"
        "<p><b>Temporisation captures</b> : une attente avant et après la prise, de 0 à 0,5 seconde, le temps que les "
        "fenêtres quittent l'écran (pour éviter les rémanences).</p>"
        "<p><b>Intervalle en secondes entre les captures périodiques</b> : de 1 à 65 secondes ; 0 : pas de capture "
        "périodique.</p>");
    return page(u("Vistrelle : la fenêtre Options"), {left, right}, 900);
}

}  // namespace vis::assets
