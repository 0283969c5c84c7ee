// The plant link in a build without libmosquitto: it refuses to start and says why.
#include "plant_link.h"

namespace platform {

struct PlantLink::Impl {};

PlantLink::PlantLink() : impl_(std::make_unique<Impl>()) {}
PlantLink::~PlantLink() = default;

bool PlantLink::Start(const PlantLinkSettings&, std::string& why) {
    why = "this build has no MQTT client (libmosquitto was not found)";
    return false;
}

void PlantLink::Publish(const std::string&, std::string, int, bool) {}

PlantLinkFigures PlantLink::Figures() const {
    return {};
}

void PlantLink::Stop(double) {}

}  // namespace platform
