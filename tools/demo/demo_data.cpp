#include "demo_data.h"

#include "common/text.h"
#include "data/folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/sqlite_db.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

namespace karvel {

namespace {

// splitmix64: tiny, fast, and the same sequence on every machine and compiler,
// which std::rand and the standard distributions do not promise.
class Random {
  public:
    explicit Random(quint64 seed) : state_(seed) {}

    quint64 next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n (n > 0); the modulo bias is far below anything visible here.
    int below(int n) { return int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }

    template <typename T> void shuffle(std::vector<T>& items) {
        for (int i = int(items.size()) - 1; i > 0; --i)
            std::swap(items[size_t(i)], items[size_t(below(i + 1))]);
    }

  private:
    quint64 state_;
};

// One generator per table, so that each table depends only on its own options.
constexpr quint64 kPupilsSeed = 0x4C454D41564F5249ULL;
constexpr quint64 kMembersSeed = 0x4D454D4252455331ULL;
constexpr quint64 kDocumentsSeed = 0x564F4B2D444F4331ULL;
constexpr quint64 kLoansSeed = 0x454D5052554E5431ULL;

template <std::size_t N> QString pick(Random& random, const char* const (&list)[N]) {
    return QString::fromUtf8(list[random.below(int(N))]);
}

// ---- Words ----

constexpr const char* kSurnames[] = {
    "Martin",     "Bernard",   "Thomas",    "Petit",    "Robert",   "Richard",  "Durand",
    "Dubois",     "Moreau",    "Laurent",   "Simon",    "Michel",   "Lefèvre",  "Leroy",
    "Roux",       "David",     "Bertrand",  "Morel",    "Fournier", "Girard",   "Bonnet",
    "Dupont",     "Lambert",   "Fontaine",  "Rousseau", "Vincent",  "Muller",   "Faure",
    "André",      "Mercier",   "Blanc",     "Guérin",   "Boyer",    "Garnier",  "Chevalier",
    "François",   "Legrand",   "Gauthier",  "Garcia",   "Perrin",   "Robin",    "Clément",
    "Morin",      "Nicolas",   "Henry",     "Roussel",  "Mathieu",  "Masson",   "Marchand",
    "Duval",      "Denis",     "Dumont",    "Lemaire",  "Noël",     "Meyer",    "Dufour",
    "Meunier",    "Brun",      "Blanchard", "Giraud",   "Joly",     "Rivière",  "Lucas",
    "Brunet",     "Gaillard",  "Barbier",   "Arnaud",   "Martinez", "Gérard",   "Roche",
    "Renard",     "Schmitt",   "Roy",       "Leroux",   "Colin",    "Vidal",    "Caron",
    "Picard",     "Roger",     "Fabre",     "Aubert",   "Lemoine",  "Renaud",   "Dumas",
    "Lacroix",    "Olivier",   "Bourgeois", "Benoît",   "Rey",      "Leclerc",  "Rolland",
    "Guillaume",  "Lecomte",   "Lopez",     "Dupuy",    "Hubert",   "Berger",   "Carpentier",
    "Moulin",     "Deschamps", "Huet",      "Fleury",   "Royer",    "Klein",    "Jacquet",
    "Poirier",    "Aubry",     "Guyot",     "Carré",    "Ménard",   "Maillard", "Baron",
    "Bailly",     "Hervé",     "Le Gall",   "Collet",   "Léger",    "Bouvier",  "Prévost",
    "Perrot",     "Cousin",    "Germain",   "Breton",   "Besson",   "Langlois", "Rémy",
    "Le Goff",    "Pelletier", "Lévêque",   "Perrier",  "Leblanc",  "Lebrun",   "Weber",
    "Mallet",     "Hamon",     "Jacob",     "Monnier",  "Michaud",  "Gillet",   "Étienne",
    "Tessier",    "Chauvin",   "Da Silva",  "Lemaître", "Maréchal", "Humbert",  "Reynaud",
    "Barthélemy", "Cordier",   "Pichon",    "Lejeune",  "Gilbert",  "Lamy",     "Delaunay",
};

constexpr const char* kGirls[] = {
    "Léa",       "Emma",  "Jade",   "Louise", "Alice",  "Chloé",    "Lina",    "Rose",
    "Anna",      "Mila",  "Inès",   "Ambre",  "Julia",  "Zoé",      "Manon",   "Camille",
    "Lou",       "Sarah", "Léna",   "Clara",  "Agathe", "Margaux",  "Romane",  "Juliette",
    "Lucie",     "Nina",  "Éva",    "Maëlys", "Lola",   "Capucine", "Héloïse", "Apolline",
    "Charlotte", "Adèle", "Noémie", "Elsa",   "Maëlle", "Victoire", "Salomé",  "Yasmine",
};

constexpr const char* kBoys[] = {
    "Gabriel", "Léo",    "Raphaël",  "Arthur",  "Louis",    "Jules",   "Adam",   "Maël",
    "Lucas",   "Hugo",   "Noah",     "Liam",    "Sacha",    "Nathan",  "Tom",    "Éthan",
    "Théo",    "Paul",   "Nolan",    "Timéo",   "Mathis",   "Enzo",    "Axel",   "Yanis",
    "Robin",   "Martin", "Valentin", "Clément", "Baptiste", "Antoine", "Maxime", "Samuel",
    "Noé",     "Côme",   "Aurélien", "Bastien", "Élias",    "Mohamed", "Rayan",  "Gaspard",
};

constexpr const char* kAdults[] = {
    "Nathalie",   "Isabelle", "Sylvie",    "Catherine",   "Valérie",  "Sandrine",
    "Christine",  "Céline",   "Stéphanie", "Véronique",   "Hélène",   "Sophie",
    "Aurélie",    "Émilie",   "Philippe",  "Jean-Pierre", "Michel",   "Alain",
    "Patrick",    "Éric",     "Laurent",   "Christophe",  "Frédéric", "Olivier",
    "Thierry",    "Pascal",   "Jérôme",    "Bernard",     "Monique",  "Françoise",
    "Jacqueline", "Danielle", "Gérard",    "Jean-Luc",    "Yves",     "Marie-Claire",
};

struct ClassLine {
    const char* number;
    const char* level;
    const char* teacher;
};

// Two classes per level, one mixed CP-CE1, and the last year of nursery school.
constexpr ClassLine kClasses[] = {
    {"01", "GS", "Mme Durand"},     {"02", "CP", "Mme Lefèvre"},    {"03", "CP", "M. Bonnet"},
    {"04", "CP-CE1", "Mme Girard"}, {"05", "CE1", "Mme Chevalier"}, {"06", "CE1", "M. Rousseau"},
    {"07", "CE2", "Mme Fontaine"},  {"08", "CE2", "Mme Morel"},     {"09", "CM1", "M. Garnier"},
    {"10", "CM1", "Mme Lambert"},   {"11", "CM2", "M. Mercier"},    {"12", "CM2", "Mme Perrin"},
};

QString cycleOf(const QString& level) {
    if (level == QLatin1String("GS"))
        return QStringLiteral("1");
    if (level.startsWith(QLatin1String("CM")))
        return QStringLiteral("3");
    return QStringLiteral("2");
}

struct Town {
    const char* postcode;
    const char* name;
};

constexpr Town kTowns[] = {
    {"26400", "Montfleury"},     {"26400", "Montfleury"},     {"26400", "Montfleury"},
    {"26400", "Val-d'Aubier"},   {"26400", "Roche-Fontaine"}, {"26120", "Beauchamp-sur-Lyre"},
    {"26120", "Le Pontet-Vert"},
};

constexpr const char* kStreets[] = {
    "rue des Lilas",       "rue de la Poste",    "avenue de la Gare",  "chemin des Vignes",
    "place de l'Église",   "allée des Tilleuls", "impasse du Moulin",  "rue du Stade",
    "route de Valence",    "rue des Écoles",     "chemin de la Croix", "rue Victor Hugo",
    "boulevard du Levant", "rue des Jardins",
};

constexpr const char* kFees[] = {"10 €", "10 €", "15 € (famille)", "8 € (réduit)", "Gratuit"};

constexpr const char* kRemarks[] = {
    "",
    "",
    "",
    "Parent d'élève",
    "Grand-parent d'élève",
    "Assistante maternelle",
    "Ancienne enseignante de l'école",
    "Bénévole à la BCD",
    "Préfère les romans policiers",
    "Habite la commune depuis peu",
};

struct Publisher {
    const char* name;
    int isbnCode; // the publisher part of its ISBNs
};

// Invented houses: the demo must not pass for a real catalogue.
constexpr Publisher kPublishers[] = {
    {"Éditions du Moulin", 20734},   {"L'Arbre à Lire", 21586},
    {"Éditions Cerf-Volant", 22401}, {"Pommier Jeunesse", 23117},
    {"La Marelle", 24950},           {"Éditions Belle Étoile", 25362},
    {"Nuage Bleu", 26088},           {"Éditions du Petit Pont", 27213},
    {"Les Trois Hiboux", 28645},     {"Éditions Sablier", 29071},
    {"Boussole Jeunesse", 31422},    {"Éditions de l'Écureuil", 32906},
};

constexpr const char* kHeroes[] = {
    "Le loup",
    "La petite sorcière",
    "Le dragon",
    "Les trois lapins",
    "La princesse",
    "Le petit ours",
    "Mon ami le robot",
    "La souris verte",
    "Le géant",
    "La baleine bleue",
    "Le renard rusé",
    "Petit Pingouin",
    "La fée Clochette",
    "Le chevalier",
    "Les deux chatons",
    "Le crocodile",
    "Le bonhomme de neige",
    "La tortue",
    "Le hérisson",
    "Papa Lion",
    "La poule rousse",
    "Le pirate",
    "Le petit nuage",
    "La girafe",
};

constexpr const char* kFollowUps[] = {
    "et la lune",          "de la forêt",    "au bord de la mer",
    "à l'école",           "sous la pluie",  "dans la nuit",
    "en vacances",         "du Grand Nord",  "et le secret du moulin",
    "au pays des neiges",  "et ses amis",    "à la montagne",
    "et la grande course", "dans le jardin", "au marché",
    "et l'arbre magique",  "fait la fête",   "part en voyage",
    "ne veut pas dormir",  "cherche un ami",
};

constexpr const char* kMysteries[] = {
    "L'énigme",     "Le mystère", "Le secret", "La malédiction", "Le trésor",
    "Les fantômes", "L'ombre",    "Le voleur", "La disparition", "Le message codé",
};

constexpr const char* kMysteryPlaces[] = {
    "du phare",      "de la vieille maison", "du château",   "de Montfleury",
    "de la rivière", "du collège",           "de la cabane", "des marais",
    "du musée",      "de la classe verte",   "du grenier",   "de l'île aux Mouettes",
};

constexpr const char* kTales[] = {
    "Le Petit Chaperon rouge",   "Boucle d'or et les trois ours",
    "Le Petit Poucet",           "La Belle au bois dormant",
    "Hansel et Gretel",          "Jack et le haricot magique",
    "Contes des quatre saisons", "Contes du monde entier",
    "Contes d'Afrique",          "Contes de Provence",
    "Contes du Grand Nord",      "Contes pour rire",
    "Contes pour frissonner",    "Histoires de sorcières",
    "Légendes de la mer",
};

constexpr const char* kSeries[] = {
    "Les Pirates de Lagon Bleu",
    "Zoé et Pif",
    "Capitaine Bulle",
    "Les Mini-Monstres",
    "Agathe détective",
    "Le Clan des Marmottes",
    "Supermamie",
    "Les Robots de Léo",
};

constexpr const char* kPoems[] = {
    "Poèmes pour grandir", "Comptines et jeux de doigts",
    "Poésies de saison",   "Mon premier recueil de poèmes",
    "Fables choisies",     "Poèmes à dire et à chanter",
    "Haïkus de la nature", "Rimes et chansons",
};

struct Topic {
    const char* dewey;
    const char* subject;
};

constexpr Topic kTopics[] = {
    {"551", "les volcans"},
    {"551", "la météo"},
    {"520", "les planètes"},
    {"523", "le système solaire"},
    {"591", "les animaux de la forêt"},
    {"595", "les insectes"},
    {"597", "les poissons"},
    {"598", "les oiseaux"},
    {"599", "les mammifères marins"},
    {"612", "le corps humain"},
    {"613", "bien manger"},
    {"582", "les arbres"},
    {"635", "le jardin"},
    {"629", "les avions"},
    {"625", "les trains"},
    {"728", "les maisons du monde"},
    {"796", "le football"},
    {"784", "les instruments de musique"},
    {"750", "la peinture"},
    {"910", "les pays du monde"},
    {"930", "la préhistoire"},
    {"932", "l'Égypte ancienne"},
    {"937", "les Romains"},
    {"940", "le Moyen Âge"},
    {"944", "l'histoire de France"},
    {"940", "les châteaux forts"},
    {"553", "l'eau"},
    {"363", "l'environnement"},
    {"394", "les fêtes"},
    {"537", "l'électricité"},
    {"513", "les nombres"},
    {"004", "l'ordinateur"},
};

constexpr const char* kTopicLeads[] = {
    "", "", "Découvrir ", "Tout savoir sur ", "Mon premier livre sur ", "Questions-réponses : ",
};

constexpr Topic kReferences[] = {
    {"443", "Dictionnaire de français junior"},
    {"443", "Dictionnaire des synonymes"},
    {"423", "Dictionnaire français-anglais"},
    {"030", "Encyclopédie junior"},
    {"912", "Atlas du monde"},
    {"912", "Atlas de la France"},
    {"590", "Encyclopédie des animaux"},
    {"443", "Le Robert des écoliers"},
};

constexpr const char* kThemes[] = {
    "Amitié",  "Peur",       "Famille", "Forêt",  "Animaux", "École",    "Humour", "Aventure",
    "Magie",   "Différence", "Nature",  "Voyage", "Courage", "Jalousie", "Nuit",   "Colère",
    "Grandir", "Partage",    "Mer",     "Hiver",  "Enquête", "Sorcière",
};

struct DeweyClass {
    const char* dewey;
    const char* label;
};

constexpr DeweyClass kDeweyClasses[] = {
    {"000", "Généralités, informatique"},
    {"030", "Encyclopédies"},
    {"100", "Philosophie, psychologie"},
    {"200", "Religions"},
    {"300", "Sciences sociales"},
    {"363", "Environnement"},
    {"394", "Fêtes, coutumes"},
    {"398", "Contes, légendes"},
    {"400", "Langues"},
    {"443", "Dictionnaires de français"},
    {"500", "Sciences"},
    {"520", "Astronomie"},
    {"551", "Géologie, météorologie"},
    {"580", "Plantes"},
    {"590", "Animaux"},
    {"600", "Techniques"},
    {"612", "Corps humain"},
    {"700", "Arts, loisirs, sports"},
    {"741", "Bandes dessinées"},
    {"780", "Musique"},
    {"796", "Sports"},
    {"841", "Poésie"},
    {"843", "Romans"},
    {"900", "Histoire, géographie"},
    {"910", "Géographie, voyages"},
    {"912", "Atlas"},
    {"930", "Histoire ancienne"},
    {"944", "Histoire de France"},
};

// ---- Value helpers ----

QString number5(int n) {
    return QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0'));
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Loans and stocktaking happen on school days, never at the weekend.
QDate schoolDay(QDate date) {
    while (date.dayOfWeek() > 5)
        date = date.addDays(-1);
    return date;
}

QString capitalised(const QString& text) {
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

QString isbnFor(Random& random, int publisherCode, const QDate& acquired) {
    const QString body =
        QStringLiteral("2%1%2").arg(publisherCode).arg(random.below(1000), 3, 10, QLatin1Char('0'));
    // Books bought before 2007 still carry a ten-digit ISBN.
    if (acquired.year() < 2007) {
        int sum = 0;
        for (int i = 0; i < 9; ++i)
            sum += body[i].digitValue() * (10 - i);
        const int check = (11 - sum % 11) % 11;
        return body.left(1) + '-' + body.mid(1, 5) + '-' + body.mid(6, 3) + '-' +
               (check == 10 ? QStringLiteral("X") : QString::number(check));
    }
    const QString digits = QStringLiteral("978") + body;
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digits[i].digitValue() * (i % 2 ? 3 : 1);
    return QStringLiteral("978-") + body.left(1) + '-' + body.mid(1, 5) + '-' + body.mid(6, 3) +
           '-' + QString::number((10 - sum % 10) % 10);
}

// A price in euros, or in francs for what was bought before the euro.
QString priceFor(Random& random, int lowEuros, int highEuros, const QDate& acquired) {
    const int tenths = random.between(lowEuros * 10, highEuros * 10);
    if (acquired.year() < 2002)
        return QStringLiteral("%1,00 F").arg(qRound(tenths * 0.655957));
    return QStringLiteral("%1,%2 €")
        .arg(tenths / 10)
        .arg(tenths % 10 * 10, 2, 10, QLatin1Char('0'));
}

// ---- Writing rows ----

// One prepared INSERT reused for every row of a table; the fields are named
// where the values are given, so the two lists are read side by side.
class RowWriter {
  public:
    RowWriter(Database& db, const QString& table, std::initializer_list<const char*> fields)
        : count_(int(fields.size())) {
        QString names, placeholders;
        int n = 0;
        for (const char* field : fields) {
            names += (n ? QStringLiteral(", \"") : QStringLiteral("\"")) +
                     QString::fromUtf8(field) + QLatin1Char('"');
            placeholders +=
                (n ? QStringLiteral(", ?") : QStringLiteral("?")) + QString::number(n + 1);
            ++n;
        }
        stmt_ = db.prepare(QStringLiteral("INSERT INTO \"") + table + QStringLiteral("\" (") +
                           names + QStringLiteral(") VALUES (") + placeholders + QLatin1Char(')'));
    }

    void write(std::initializer_list<QString> values) {
        if (int(values.size()) != count_)
            throw std::logic_error("RowWriter: wrong number of values");
        int n = 0;
        for (const QString& value : values)
            stmt_->bind(++n, value);
        stmt_->run();
        stmt_->reset();
    }

  private:
    int count_;
    std::unique_ptr<Statement> stmt_;
};

struct Member {
    QString number;
    QString surname;
    QString firstName;
    QString address;
    QString postcode;
    QString town;
    QString phone;
    QDate joined;
    QString fee;
    QString remark;
    QString mayBorrow; // "1", "0" or "N"
    QDate lastLoan;
};

struct Borrower {
    QString number;
    QString category;
    int member = -1; // index in the members, or -1 for a pupil
};

constexpr int kPupilCount = 300;
constexpr int kMemberCount = 40;
constexpr int kPupilLimit = 2;
constexpr int kMemberLimit = 3;

std::vector<Member> makeMembers(const QDate& today) {
    Random random(kMembersSeed);
    std::vector<Member> members;
    for (int i = 1; i <= kMemberCount; ++i) {
        Member m;
        m.number = number5(i);
        m.surname = pick(random, kSurnames).toUpper();
        m.firstName = pick(random, kAdults);
        m.address =
            QString::number(random.between(1, 48)) + QLatin1Char(' ') + pick(random, kStreets);
        const Town& town = kTowns[random.below(int(std::size(kTowns)))];
        m.postcode = QString::fromUtf8(town.postcode);
        m.town = QString::fromUtf8(town.name);
        m.phone = (random.percent(60) ? QStringLiteral("04 75")
                                      : QStringLiteral("06 ") + twoDigits(random.below(100)));
        for (int k = 0; k < 3; ++k)
            m.phone += QLatin1Char(' ') + twoDigits(random.below(100));
        // Joined at least two months ago, so that every loan comes after it.
        m.joined = today.addDays(-random.between(60, 1800));
        m.fee = pick(random, kFees);
        m.remark = pick(random, kRemarks);
        m.mayBorrow = QStringLiteral("1");
        members.push_back(m);
    }
    // Three members suspended the way the companion product writes it, and one
    // the older way, so the loan desk's refusal can be tried with both.
    std::vector<int> order(kMemberCount);
    for (int i = 0; i < kMemberCount; ++i)
        order[size_t(i)] = i;
    random.shuffle(order);
    for (int k = 0; k < 3; ++k) {
        members[size_t(order[size_t(k)])].mayBorrow = QStringLiteral("0");
        members[size_t(order[size_t(k)])].remark =
            QStringLiteral("Emprunts suspendus : retards répétés");
    }
    members[size_t(order[3])].mayBorrow = QStringLiteral("N");
    members[size_t(order[3])].remark = QStringLiteral("Adhésion non renouvelée");
    return members;
}

void fillPupils(const QString& path) {
    Random random(kPupilsSeed);
    Database db(path);
    db.exec(QStringLiteral("BEGIN"));
    RowWriter classes(db, QStringLiteral("équipe"),
                      {"équipenuméro", "équipeniveau", "équipecycle", "équipeinstituteur"});
    for (const ClassLine& line : kClasses) {
        const QString level = QString::fromUtf8(line.level);
        classes.write({QString::fromUtf8(line.number), level, cycleOf(level),
                       QString::fromUtf8(line.teacher)});
    }

    // Twenty-five pupils a class, the numbers given in no particular class order.
    const int classCount = int(std::size(kClasses));
    std::vector<int> classOf(kPupilCount);
    for (int i = 0; i < kPupilCount; ++i)
        classOf[size_t(i)] = i % classCount;
    random.shuffle(classOf);
    RowWriter pupils(db, QStringLiteral("enfants"),
                     {"matricule", "nomenfant", "prénomenfant", "classe", "niveau", "cycle"});
    for (int i = 0; i < kPupilCount; ++i) {
        const ClassLine& line = kClasses[classOf[size_t(i)]];
        QString level = QString::fromUtf8(line.level);
        if (level == QLatin1String("CP-CE1"))
            level = random.percent(50) ? QStringLiteral("CP") : QStringLiteral("CE1");
        const QString firstName = random.percent(50) ? pick(random, kGirls) : pick(random, kBoys);
        pupils.write({number5(i + 1), pick(random, kSurnames).toUpper(), firstName,
                      QString::fromUtf8(line.number), level, cycleOf(level)});
    }

    RowWriter school(db, QStringLiteral("école"),
                     {"nom", "adresse", "codepostal", "ville", "directeur"});
    school.write({QStringLiteral("École primaire des Tilleuls"), QStringLiteral("3 rue des Écoles"),
                  QStringLiteral("26400"), QStringLiteral("Montfleury"),
                  QStringLiteral("M. Garnier")});
    db.exec(QStringLiteral("COMMIT"));
}

void fillMembers(const QString& path, const std::vector<Member>& members, const QDate& today) {
    Random random(kMembersSeed ^ 0xD1B54A32D192ED03ULL);
    Database db(path);
    db.exec(QStringLiteral("BEGIN"));
    RowWriter rows(db, QStringLiteral("membres"),
                   {"matricule", "nom", "prénom", "adresse", "codepostal", "ville", "téléphone",
                    "dateadhésion", "adhésion", "observations", "datedernieremprunt", "emprunt"});
    for (const Member& m : members) {
        // A member holding documents last borrowed on the day of the latest
        // one; the others borrowed some time ago, or never.
        QDate last = m.lastLoan;
        const int sinceJoining = int(m.joined.daysTo(today));
        if (!last.isValid() && random.percent(60))
            last = schoolDay(today.addDays(-random.between(46, qMin(365, sinceJoining))));
        if (last.isValid() && last < m.joined)
            last = m.joined;
        rows.write({m.number, m.surname, m.firstName, m.address, m.postcode, m.town, m.phone,
                    formatDate(m.joined), m.fee, m.remark,
                    last.isValid() ? formatDate(last) : QString(), m.mayBorrow});
    }
    RowWriter groups(db, QStringLiteral("extérieurs"), {"code", "libellé"});
    groups.write({QStringLiteral("PAR"), QStringLiteral("Parents d'élèves")});
    groups.write({QStringLiteral("ENS"), QStringLiteral("Enseignants et personnels")});
    groups.write({QStringLiteral("ANC"), QStringLiteral("Anciens élèves")});
    groups.write({QStringLiteral("HAB"), QStringLiteral("Habitants de la commune")});
    db.exec(QStringLiteral("COMMIT"));
}

void fillCotation(const QString& path) {
    Database db(path);
    db.exec(QStringLiteral("BEGIN"));
    RowWriter rows(db, QStringLiteral("cotation"), {"dewey", "libellé"});
    for (const DeweyClass& c : kDeweyClasses)
        rows.write({QString::fromUtf8(c.dewey), QString::fromUtf8(c.label)});
    db.exec(QStringLiteral("COMMIT"));
}

// Every pupil may hold two documents and every member allowed to borrow
// three: the loans are dealt from these places in a shuffled order, so no
// borrower goes over the limits of LAVOK.INI and some reach them exactly.
std::vector<Borrower> borrowerPlaces(const std::vector<Member>& members) {
    std::vector<Borrower> places;
    for (int i = 1; i <= kPupilCount; ++i)
        for (int k = 0; k < kPupilLimit; ++k)
            places.push_back({number5(i), QStringLiteral("école"), -1});
    for (int i = 0; i < int(members.size()); ++i)
        if (members[size_t(i)].mayBorrow == QLatin1String("1"))
            for (int k = 0; k < kMemberLimit; ++k)
                places.push_back({members[size_t(i)].number, QStringLiteral("extérieur"), i});
    Random random(kLoansSeed);
    random.shuffle(places);
    return places;
}

enum class Kind { Album, Novel, Tale, Comic, Poetry, NonFiction, Reference };

Kind pickKind(Random& random) {
    const int p = random.below(100);
    if (p < 30)
        return Kind::Album;
    if (p < 52)
        return Kind::Novel;
    if (p < 58)
        return Kind::Tale;
    if (p < 66)
        return Kind::Comic;
    if (p < 69)
        return Kind::Poetry;
    if (p < 95)
        return Kind::NonFiction;
    return Kind::Reference;
}

int fillCatalogue(const QString& path, int count, const QDate& today,
                  std::vector<Member>& members) {
    Random random(kDocumentsSeed);
    std::vector<Borrower> places = borrowerPlaces(members);
    size_t nextPlace = 0;
    // About one lendable document in twelve is out, as long as there are
    // borrowers left to hold them.
    const qint64 wantedLoans = qMin<qint64>(qint64(count) / 12, qint64(places.size()));
    const QDate firstPurchase = today.addYears(-20);
    const qint64 purchaseSpan = firstPurchase.daysTo(today.addDays(-10));
    const QDate stocktakingDay = schoolDay(today.addDays(-2));
    int onLoan = 0;

    Database db(path);
    // The file is new and is deleted if anything fails, so neither the
    // journal nor the flushes to disk are needed while it is filled.
    db.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    db.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    db.exec(QStringLiteral("PRAGMA cache_size=-65536"));
    db.exec(QStringLiteral("BEGIN"));
    RowWriter rows(db, QStringLiteral("vok"),
                   {"inventaire", "titre", "auteur", "éditeur", "dewey", "casier", "motsclés",
                    "emprunt", "ISBN", "dateacquisition", "prix", "emprunté", "emprunteur",
                    "catégorieemprunteur", "dateemprunt", "cumul"});
    for (int i = 1; i <= count; ++i) {
        // Inventory numbers are given in the order of purchase.
        const QDate acquired = firstPurchase.addDays(purchaseSpan * (i - 1) / qMax(1, count));
        const Kind kind = pickKind(random);
        const Publisher& publisher = kPublishers[random.below(int(std::size(kPublishers)))];
        QString surname = pick(random, kSurnames);
        QString author = surname.toUpper() + QLatin1Char(' ') + pick(random, kAdults);
        QString title, dewey, shelf, keywords, price;
        switch (kind) {
        case Kind::Album:
            title = random.percent(75)
                        ? pick(random, kHeroes) + QLatin1Char(' ') + pick(random, kFollowUps)
                        : QStringLiteral("Les aventures de ") + pick(random, kGirls);
            shelf = QStringLiteral("A");
            price = priceFor(random, 8, 16, acquired);
            break;
        case Kind::Novel:
            title = random.percent(60)
                        ? pick(random, kMysteries) + QLatin1Char(' ') + pick(random, kMysteryPlaces)
                        : pick(random, kHeroes) + QLatin1Char(' ') + pick(random, kFollowUps);
            dewey = QStringLiteral("843");
            shelf = QStringLiteral("R");
            price = priceFor(random, 5, 9, acquired);
            break;
        case Kind::Tale:
            title = pick(random, kTales);
            dewey = QStringLiteral("398");
            shelf = QStringLiteral("C");
            price = priceFor(random, 9, 18, acquired);
            break;
        case Kind::Comic: {
            // A series keeps its author from one volume to the next.
            const int series = random.below(int(std::size(kSeries)));
            title = QString::fromUtf8(kSeries[series]) + QStringLiteral(", tome ") +
                    QString::number(random.between(1, 12));
            surname = QString::fromUtf8(kSurnames[series * 11 % std::size(kSurnames)]);
            author = surname.toUpper() + QLatin1Char(' ') +
                     QString::fromUtf8(kAdults[series * 5 % std::size(kAdults)]);
            dewey = QStringLiteral("741");
            shelf = QStringLiteral("BD");
            price = priceFor(random, 10, 14, acquired);
            break;
        }
        case Kind::Poetry:
            title = pick(random, kPoems);
            dewey = QStringLiteral("841");
            shelf = QStringLiteral("P");
            price = priceFor(random, 7, 15, acquired);
            break;
        case Kind::NonFiction: {
            const Topic& topic = kTopics[random.below(int(std::size(kTopics)))];
            title = capitalised(pick(random, kTopicLeads) + QString::fromUtf8(topic.subject));
            dewey = QString::fromUtf8(topic.dewey);
            shelf = dewey;
            keywords =
                QStringLiteral("Documentaire ; ") + capitalised(QString::fromUtf8(topic.subject));
            price = priceFor(random, 9, 20, acquired);
            break;
        }
        case Kind::Reference: {
            const Topic& work = kReferences[random.below(int(std::size(kReferences)))];
            title = QString::fromUtf8(work.subject);
            dewey = QString::fromUtf8(work.dewey);
            shelf = QStringLiteral("REF ") + dewey;
            surname = QStringLiteral("Collectif");
            author = QStringLiteral("COLLECTIF");
            keywords = QStringLiteral("Ouvrage de référence ; consultation sur place");
            price = priceFor(random, 15, 35, acquired);
            break;
        }
        }
        if (kind != Kind::Reference)
            shelf += QLatin1Char(' ') + surname.left(3).toUpper();
        if (keywords.isEmpty()) {
            // Two different themes.
            const int themeCount = int(std::size(kThemes));
            const int first = random.below(themeCount);
            const int second = (first + 1 + random.below(themeCount - 1)) % themeCount;
            keywords = QString::fromUtf8(kThemes[first]) + QStringLiteral(" ; ") +
                       QString::fromUtf8(kThemes[second]);
        }
        const QString isbn = isbnFor(random, publisher.isbnCode, acquired);

        // Reference works stay in the library; everything else may go out.
        const bool lendable = kind != Kind::Reference;
        const int ageInYears = int(acquired.daysTo(today) / 365);
        QString state, borrower, category, movedOn;
        int lent = 0;
        if (lendable) {
            if (nextPlace < places.size() &&
                random.next() % quint64(count) < quint64(wantedLoans)) {
                const Borrower& b = places[nextPlace++];
                const int daysOut =
                    random.between(1, int(qMin<qint64>(45, acquired.daysTo(today) - 2)));
                const QDate lentOn = schoolDay(today.addDays(-daysOut));
                state = QStringLiteral("O");
                borrower = b.number;
                category = b.category;
                movedOn = formatDate(lentOn);
                lent = random.between(1, qMin(99, 1 + 4 * ageInYears));
                if (b.member >= 0) {
                    QDate& last = members[size_t(b.member)].lastLoan;
                    if (!last.isValid() || last < lentOn)
                        last = lentOn;
                }
                ++onLoan;
            } else if (random.below(200) == 0) {
                // A stocktaking is under way: a few documents already carry its mark.
                state = QStringLiteral("I");
                movedOn = formatDate(stocktakingDay);
                lent = random.between(0, qMin(99, 4 * ageInYears));
            } else if (random.percent(75) && acquired.daysTo(today) > 2) {
                state = QStringLiteral("N");
                const int since = int(qMin<qint64>(acquired.daysTo(today) - 3, 3000));
                movedOn = formatDate(schoolDay(today.addDays(-random.between(1, since))));
                lent = random.between(1, qMin(99, 1 + 4 * ageInYears));
            }
        }
        rows.write({number5(i), title, author, QString::fromUtf8(publisher.name), dewey, shelf,
                    keywords, lendable ? QStringLiteral("O") : QStringLiteral("N"), isbn,
                    formatDate(acquired), price, state, borrower, category, movedOn,
                    QStringLiteral("%1").arg(lent, 3, 10, QLatin1Char('0'))});
    }
    db.exec(QStringLiteral("COMMIT"));
    // Back to the rollback journal every other connection uses.
    db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    return onLoan;
}

QString schoolYear(const QDate& today) {
    const int first = today.month() >= 9 ? today.year() : today.year() - 1;
    return QStringLiteral("%1-%2").arg(first).arg(first + 1);
}

// The companion product's settings: seven values of its own, then the maximum
// loan duration, the pupils' and the members' loan limits, the backup notice.
QByteArray lavokIni(const QDate& today) {
    const int first = today.month() >= 9 ? today.year() : today.year() - 1;
    const QStringList values = {
        QStringLiteral("École primaire des Tilleuls"),
        QStringLiteral("3 rue des Écoles"),
        QStringLiteral("26400 Montfleury"),
        QStringLiteral("04 75 25 31 80"),
        QStringLiteral("Mme Durand"),
        schoolYear(today),
        formatDate(QDate(first, 6, 30)),
        QStringLiteral("15"),
        QString::number(kPupilLimit),
        QString::number(kMemberLimit),
        QStringLiteral("ON"),
    };
    QByteArray bytes;
    for (const QString& value : values)
        bytes += '"' + value.toUtf8() + "\"\r\n";
    return bytes;
}

} // namespace

QByteArray helpDocument(const QString& name) {
    if (name != QLatin1String("helpkv.rtf") && name != QLatin1String("karvel.rtf"))
        return QByteArray();
    QFile file(QStringLiteral(":/karvel/help/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

DemoSummary createDemoData(const QString& folder, const DemoOptions& options) {
    if (options.documents < 0 || options.documents > kDemoMaxDocuments)
        throw std::invalid_argument("documents out of range");
    const QDate today =
        options.referenceDate.isValid() ? options.referenceDate : QDate::currentDate();

    if (!QDir().mkpath(folder))
        throw makeError(ErrPathNotFound, folder);
    const QString dataFolder = pathIn(folder, QStringLiteral("LAVOK"));
    const QString pupilsFolder = pathIn(folder, QStringLiteral("LEMAVORI"));
    const std::pair<QString, QString> files[] = {{dataFolder, kCatalogueFile},
                                                 {dataFolder, kMembersFile},
                                                 {dataFolder, kCotationFile},
                                                 {pupilsFolder, kPupilsFile}};
    // The school's real files must never be replaced by invented ones.
    for (const auto& [where, name] : files) {
        if (fileExistsIn(where, name)) {
            const QString path = findEntry(where, name);
            throw KarvelError(
                ErrFileExists,
                QStringLiteral(
                    "Le fichier %1 existe déjà : les données de démonstration ne remplacent pas des fichiers existants.")
                    .arg(QDir::toNativeSeparators(path)),
                path);
        }
    }
    if (!QDir().mkpath(dataFolder))
        throw makeError(ErrPathNotFound, dataFolder);
    if (!QDir().mkpath(pupilsFolder))
        throw makeError(ErrPathNotFound, pupilsFolder);

    DemoSummary summary;
    std::vector<QString> created;
    try {
        for (const auto& [where, name] : files) {
            const QString path = where + QLatin1Char('/') + name;
            created.push_back(path);
            schema::createDatabaseFile(path, name);
        }
        const QString catalogue = dataFolder + QLatin1Char('/') + kCatalogueFile;
        fillPupils(pupilsFolder + QLatin1Char('/') + kPupilsFile);
        std::vector<Member> members = makeMembers(today);
        summary.onLoan = fillCatalogue(catalogue, options.documents, today, members);
        fillMembers(dataFolder + QLatin1Char('/') + kMembersFile, members, today);
        fillCotation(dataFolder + QLatin1Char('/') + kCotationFile);

        FileSystem fs;
        fs.writeAtomically(pathIn(dataFolder, QStringLiteral("LAVOK.INI")), lavokIni(today));
        for (const QString& name : {QStringLiteral("helpkv.rtf"), QStringLiteral("karvel.rtf")})
            fs.writeAtomically(pathIn(dataFolder, name), helpDocument(name));
    } catch (...) {
        for (const QString& path : created) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
        throw;
    }
    summary.documents = options.documents;
    summary.classes = int(std::size(kClasses));
    summary.pupils = kPupilCount;
    summary.members = kMemberCount;
    return summary;
}

} // namespace karvel
