// Keeps the desktop layer's library non-empty until its sources land.
namespace vis {
int qtLayerPlaceholder() { return 0; }
}  // namespace vis
