series Linear 1
loadcase 1 1 {
    load 5 50.0 -120.0 0.0
    lood 6 0.0 -120.0 0.0
    load 7
}
