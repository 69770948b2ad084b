#include "mux/Catalogue.h"

#include "mux/Charset.h"

namespace mux {
namespace {

using Words = std::vector<std::string>;

std::vector<std::string> toLatin9(const Words& utf8)
{
    std::vector<std::string> out;
    for (const auto& s : utf8)
        out.push_back(utf8ToLatin9(s));
    return out;
}

// Theme groups as the broadcaster names them (index = group).
enum Group {
    Cinema, Entertainment, Sport, News, Series, Documentary, Kids, Music,
    Culture, Lifestyle, Religion, Shopping, Leisure, Events, Regional, Other
};

struct ChannelSeed {
    const char* name;
    int theme;
    int minMinutes;
    int maxMinutes;
    bool radio;
};

// The first entry is the all-news channel: its programmes start on every hour.
const ChannelSeed kChannels[] = {
    {"Notizie 24", News, 30, 60, false},
    {"Rete Uno", Entertainment, 25, 120, false},
    {"Rete Due", Series, 25, 110, false},
    {"Rete Tre", Culture, 30, 120, false},
    {"Cinema Uno", Cinema, 85, 150, false},
    {"Cinema Due", Cinema, 85, 150, false},
    {"Cinéma Classique", Cinema, 80, 140, false},
    {"Sport Arena", Sport, 45, 150, false},
    {"Sport Arena 2", Sport, 45, 150, false},
    {"Motori TV", Sport, 30, 120, false},
    {"Documenta", Documentary, 45, 60, false},
    {"Pianeta Natura", Documentary, 25, 60, false},
    {"Storia & Memoria", Documentary, 45, 90, false},
    {"Junior", Kids, 10, 30, false},
    {"Cartoon Città", Kids, 10, 25, false},
    {"Musica Più", Music, 30, 90, false},
    {"Jazz Café", Music, 45, 120, false},
    {"Télé Azur", Entertainment, 30, 120, false},
    {"Canale Cinque 5", Entertainment, 25, 120, false},
    {"Serie Más", Series, 40, 60, false},
    {"Giallo Noir", Series, 45, 100, false},
    {"Cucina Italiana", Lifestyle, 25, 60, false},
    {"Casa e Giardino", Lifestyle, 25, 55, false},
    {"Viaggi nel Mondo", Leisure, 30, 60, false},
    {"Pesca & Caccia", Leisure, 30, 60, false},
    {"Fede TV", Religion, 30, 90, false},
    {"Shop 24", Shopping, 30, 120, false},
    {"Teatro e Opera", Culture, 90, 180, false},
    {"Regione Oggi", Regional, 20, 60, false},
    {"Évènements Live", Events, 60, 180, false},
    {"Economia €uro", News, 20, 60, false},
    {"Meteo Più", News, 10, 30, false},
    {"Scienza Ora", Documentary, 30, 60, false},
    {"Comedy Centrale", Entertainment, 20, 45, false},
    {"Westerns", Cinema, 80, 120, false},
    {"Ciné Famille", Cinema, 80, 130, false},
    {"Tennis Channel", Sport, 60, 180, false},
    {"Radio Onda Blu", Music, 60, 120, true},
    {"Radio Notizie", News, 30, 60, true},
    {"Radio Classica", Music, 60, 180, true},
    {"Moda & Stile", Lifestyle, 25, 60, false},
    {"Avventura HD", Documentary, 45, 60, false},
    {"Altri Programmi", Other, 30, 90, false},
    {"Kinder Kanal", Kids, 10, 30, false},
    {"Telecinema Più", Cinema, 85, 140, false},
};

const std::vector<ThemeProfile> kThemesUtf8 = {
    {"CINEMA", {"Commedia", "Drammatico", "Azione", "Thriller", "Fantascienza", "Animazione", "Western", "Horror", "Sentimentale"}},
    {"INTRATTENIMENTO", {"Varietà", "Quiz", "Talk show", "Reality", "Comici"}},
    {"SPORT", {"Calcio", "Tennis", "Motori", "Basket", "Ciclismo", "Sci", "Atletica", "Pallavolo"}},
    {"TG E NEWS", {"Telegiornale", "Meteo", "Approfondimento", "Economia", "Politica"}},
    {"SERIE TV", {"Poliziesco", "Sitcom", "Soap opera", "Medical", "Fantasy", "Giallo"}},
    {"DOCUMENTARI", {"Natura", "Storia", "Scienza", "Viaggi", "Arte", "Società"}},
    {"RAGAZZI", {"Cartoni", "Educativi", "Teen", "Prescolare"}},
    {"MUSICA", {"Pop e rock", "Classica", "Jazz", "Concerti", "Videoclip", "Opéra"}},
    {"CULTURA", {"Teatro", "Letteratura", "Opera lirica", "Danza"}},
    {"LIFESTYLE", {"Cucina", "Moda", "Casa e giardino", "Salute", "Benessere"}},
    {"RELIGIONE", {"Messa", "Spiritualità"}},
    {"SHOPPING", {"Televendite"}},
    {"TEMPO LIBERO", {"Pesca e caccia", "Giochi", "Turismo", "Animali"}},
    {"EVENTI", {"Cerimonie", "Festival", "Premiazioni"}},
    {"REGIONALI", {"Notizie locali", "Tradizioni"}},
    {"ALTRI PROGRAMMI", {"Rubriche", "Televideo", "Promo"}},
};

// Title material per group: stems, and words that may follow them.
const std::vector<Words> kStemsUtf8 = {
    {"La casa sul lago", "NOTTE DI FUOCO", "Il grande cielo", "L'ultimo treno per Yuma", "Amore a Parigi", "Il ritorno del pistolero",
     "CODICE ROSSO", "La città perduta", "Mezzanotte a Roma", "Fuga da Marsiglia", "Il segreto di Élise", "Pane, amore e fantasia",
     "Ombre sul Tevere", "LA GRANDE FUGA", "Un'estate al mare", "Caccia all'uomo", "Il colore del vento", "Pianeta rosso",
     "Crocevia della morte", "Café de Flore", "Ritorno a Itaca", "Il castello maledetto"},
    {"Affari tuoi", "La ruota della fortuna", "SERATA D'ONORE", "Chi vuol essere campione", "Ciao Darwin", "Domenica insieme",
     "Il pranzo è servito", "Tutti a tavola", "Buonasera con Gigi", "Risate in famiglia", "Scherzi a parte"},
    {"Calcio: Serie A", "Tennis: Torneo di Roma", "Formula Uno: Gran Premio", "Basket: Eurolega", "Giro d'Italia",
     "Sci: Coppa del Mondo", "Pallavolo: Superlega", "Motomondiale", "Calcio: Champions", "Atletica: Golden Gala", "SPORT SERA"},
    {"TG Notte", "TG Mattina", "Telegiornale", "TG Sera", "Meteo", "Prima pagina", "Economia oggi", "Linea diretta",
     "NEWS FLASH", "Il punto", "Borsa e mercati", "Speciale TG"},
    {"Il commissario Marchetti", "Distretto di polizia", "Medici in prima linea", "Casa Vianello", "Una famiglia perfetta",
     "Detective Lanzi", "CENTOVETRINE", "Il giovane Montalbano", "Don Luca", "Squadra antimafia", "Cuori in corsia"},
    {"Il pianeta degli squali", "Viaggio nel tempo", "Le grandi civiltà", "Superquark", "Gli ultimi lupi", "Meraviglie d'Europa",
     "Alla scoperta dell'Africa", "L'universo e noi", "STORIE DI GUERRA", "Arte e artisti", "Cronache dal Nilo"},
    {"Le avventure di Pippo", "Gli amici del bosco", "Robot Zeta", "Lupo Alberto", "La melevisione", "Capitan Uncino",
     "Il trenino blu", "Scuola di magia", "I Puffi", "Dinosauri curiosi"},
    {"Hit parade", "Concerto di Natale", "Jazz a Umbria", "I grandi successi", "Classica: Beethoven", "Rock in Roma",
     "Videoclip non stop", "Sanremo Story", "Notte italiana", "Opéra de Paris"},
    {"Aida", "Il barbiere di Siviglia", "Amleto", "Il lago dei cigni", "Libri e autori", "Sei personaggi in cerca d'autore",
     "Tosca", "La traviata", "Scrittori del Novecento"},
    {"Cotto e mangiato", "La prova del cuoco", "Moda mia", "Casa dolce casa", "Medicina 33", "Benessere quotidiano",
     "Ricette di famiglia", "I segreti del giardino"},
    {"Santa Messa", "Angelus", "A sua immagine", "Rosario", "Il Vangelo della domenica"},
    {"Offerte imperdibili", "Televendita", "Il mondo dei gioielli", "Shopping a casa tua"},
    {"Pesca in mare", "Caccia e natura", "Giochi senza frontiere", "Turisti per caso", "Amici animali"},
    {"Premio Strega", "Festival di Venezia", "Notte degli Oscar", "Cerimonia di apertura", "Concerto del Primo Maggio"},
    {"TGR Lazio", "Buongiorno regione", "Sagre e feste", "Il Piemonte in tavola", "Notizie dalla Sicilia"},
    {"Televideo", "Promo", "Rubrica del mattino", "Programmazione notturna", "Fine trasmissioni"},
};

const Words kSuffixUtf8 = {" - 1a parte", " - 2a parte", " (replica)", ": speciale", " - Ep. 12", " - Ep. 3",
                           " (1987)", " - Finale", " - Puntata 7", ": la serie", " - Stagione 2 Ep. 14", " - live"};

const Words kSentenceStartUtf8 = {
    "In una piccola città di provincia", "Dopo anni di silenzio", "Nel cuore dell'inverno", "Quando la notte scende su Roma",
    "Durante un viaggio in Provenza", "All'alba di un giorno qualunque", "Tra le colline toscane", "Nella Parigi degli anni '50",
    "Ai confini del deserto", "Lontano da casa", "Sotto il sole d'agosto", "Nel corso della puntata"};
const Words kSentenceMiddleUtf8 = {
    "un giovane medico", "la commissaria Rossi", "un vecchio pescatore", "due fratelli", "una famiglia numerosa",
    "il protagonista", "una cantante di successo", "un ispettore di polizia", "la redazione", "gli ospiti in studio",
    "un gruppo di amici", "il celebre chef Andrè"};
const Words kSentenceEndUtf8 = {
    "scopre un segreto che cambierà la sua vita.", "deve affrontare una scelta difficile.",
    "ritrova un amore perduto.", "indaga su un misterioso omicidio.", "parte per un'avventura più grande di lui.",
    "racconta la storia di un'Italia che non c'è più.", "prepara una ricetta della tradizione.",
    "commenta le notizie del giorno.", "si confronta con un passato scomodo.", "cerca la verità, costi quel che costi.",
    "vince un premio di 5.000 € e cambia città.", "si trova al centro di un intrigo internazionale."};
const Words kPeopleUtf8 = {"Marcello Bellini", "Sofia Leone", "Jean-Luc Moreau", "Anna Müller", "Gérard Dupré", "Luca Ferri",
                           "Chiara Conti", "José Álvarez", "Nicolò Ricci", "Renée Fabre", "Žaneta Nováková", "Björn Olsen"};

} // namespace

ChannelProfile Catalogue::channel(int i)
{
    const int n = static_cast<int>(sizeof kChannels / sizeof kChannels[0]);
    ChannelProfile p;
    if (i < n) {
        const ChannelSeed& s = kChannels[i];
        p.name = utf8ToLatin9(s.name);
        p.theme = s.theme;
        p.minMinutes = s.minMinutes;
        p.maxMinutes = s.maxMinutes;
        p.radio = s.radio;
    } else {
        p.name = "Canale " + std::to_string(i + 1);
        p.theme = i % 16;
        p.minMinutes = 25;
        p.maxMinutes = 90;
    }
    return p;
}

const std::vector<ThemeProfile>& Catalogue::themes()
{
    static const std::vector<ThemeProfile> themes = [] {
        std::vector<ThemeProfile> out;
        for (const auto& t : kThemesUtf8)
            out.push_back({utf8ToLatin9(t.name), toLatin9(t.subThemes)});
        return out;
    }();
    return themes;
}

std::string Catalogue::title(Random& rng, int group, int slot)
{
    static const std::vector<Words> stems = [] {
        std::vector<Words> out;
        for (const auto& w : kStemsUtf8)
            out.push_back(toLatin9(w));
        return out;
    }();
    static const Words suffixes = toLatin9(kSuffixUtf8);
    const Words& pool = stems[static_cast<size_t>(group) % stems.size()];
    std::string t = pool[(rng.next() + static_cast<uint64_t>(slot)) % pool.size()];
    if (rng.chance(35))
        t += rng.pick(suffixes);
    return t;
}

std::string Catalogue::summary(Random& rng, const std::string& title, size_t length, bool exact)
{
    static const Words starts = toLatin9(kSentenceStartUtf8);
    static const Words middles = toLatin9(kSentenceMiddleUtf8);
    static const Words ends = toLatin9(kSentenceEndUtf8);
    static const Words people = toLatin9(kPeopleUtf8);
    std::string text = title + ".";
    bool credits = false;
    while (text.size() < length) {
        if (!credits && text.size() > 60 && rng.chance(40)) {
            // One draw per statement: the operands of + may be evaluated in any order, and
            // the compilers for different processors do pick different ones.
            const std::string& second = rng.pick(people);
            const std::string& first = rng.pick(people);
            const std::string& director = rng.pick(people);
            text += "\rRegia: " + director + "\rCon: " + first + ", " + second + "\r";
            credits = true;
            continue;
        }
        const std::string& end = rng.pick(ends);
        const std::string& middle = rng.pick(middles);
        const std::string& start = rng.pick(starts);
        text += " " + start + ", " + middle + " " + end;
        if (rng.chance(15))
            text += "\r";
    }
    if (text.size() > length) {
        // End on a whole sentence where one is near; otherwise cut where the room ends.
        const size_t stop = text.rfind('.', length - 1);
        const bool sentence = !exact && stop != std::string::npos && stop + 120 >= length && stop > title.size();
        text.resize(sentence ? stop + 1 : length);
    }
    while (!exact && !text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace mux
