# Format checks of the pictures in ui/pictures (filled in with the pictures).
