#include "scan/ContentGenre.h"

namespace scan {
namespace {

// Row 0 is the genre (level 2 = 0, "general"); rows 1..14 its sub-genres.
constexpr const char* kNames[12][15] = {
    {},
    {"Movie / Drama", "Detective / Thriller", "Adventure / Western / War", "Science fiction / Fantasy / Horror",
     "Comedy", "Soap / Melodrama / Folklore", "Romance", "Serious / Classical / Religious / Historical drama",
     "Adult movie / Drama"},
    {"News / Current affairs", "News / Weather report", "News magazine", "Documentary",
     "Discussion / Interview / Debate"},
    {"Show / Game show", "Game show / Quiz / Contest", "Variety show", "Talk show"},
    {"Sports", "Special events", "Sports magazine", "Football / Soccer", "Tennis / Squash",
     "Team sports", "Athletics", "Motor sport", "Water sport", "Winter sports", "Equestrian",
     "Martial sports"},
    {"Children's / Youth programmes", "Pre-school children's programmes", "Entertainment programmes for 6 to 14",
     "Entertainment programmes for 10 to 16", "Informational / Educational / School programmes",
     "Cartoons / Puppets"},
    {"Music / Ballet / Dance", "Rock / Pop", "Serious music / Classical music", "Folk / Traditional music", "Jazz",
     "Musical / Opera", "Ballet"},
    {"Arts / Culture", "Performing arts", "Fine arts", "Religion", "Popular culture / Traditional arts",
     "Literature", "Film / Cinema", "Experimental film / Video", "Broadcasting / Press", "New media",
     "Arts / Culture magazines", "Fashion"},
    {"Social / Political issues / Economics", "Magazines / Reports / Documentary", "Economics / Social advisory",
     "Remarkable people"},
    {"Education / Science / Factual topics", "Nature / Animals / Environment", "Technology / Natural sciences",
     "Medicine / Physiology / Psychology", "Foreign countries / Expeditions", "Social / Spiritual sciences",
     "Further education", "Languages"},
    {"Leisure hobbies", "Tourism / Travel", "Handicraft", "Motoring", "Fitness and health", "Cooking",
     "Advertisement / Shopping", "Gardening"},
    {"Special characteristics", "Original language", "Black and white", "Unpublished", "Live broadcast",
     "Plano-stereoscopic", "Local or regional"},
};

std::string_view name(uint8_t level1, uint8_t level2)
{
    if (level1 >= 12 || level2 >= 15 || !kNames[level1][level2])
        return {};
    return kNames[level1][level2];
}

} // namespace

std::string_view genreName(uint8_t level1) { return name(level1, 0); }

std::string_view subGenreName(uint8_t level1, uint8_t level2) { return level2 == 0 ? std::string_view() : name(level1, level2); }

} // namespace scan
