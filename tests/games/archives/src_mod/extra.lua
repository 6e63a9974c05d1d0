log("extra from the mod archive")
