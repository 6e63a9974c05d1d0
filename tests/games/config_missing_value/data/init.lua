function boot() log("boot ran") end
